#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "test/view_fixture.h"
#include "tool/view/requests.h"

namespace {

constexpr const char* train_file = view_train_file;

TEST(view, refuses_what_it_does_not_serve) {
  view_fixture f;
  const struct {
    const char* note;
    view_request request;
    int status;
  } cases[] = {
      {"a foreign Host, as a rebound name brings",
       {"GET", "/", {}, "attacker.example:8765"},
       421},
      {"the right address on another port",
       {"GET", "/", {}, "127.0.0.1:80"},
       421},
      {"no Host at all", {"GET", "/", {}, ""}, 421},
      {"a method that changes things",
       {"POST", "/", {}, "127.0.0.1:8765"},
       405},
      {"a climbing path", {"GET", "/../etc/passwd", {}, "127.0.0.1:8765"}, 400},
      {"a climbing path with encoded dots",
       {"GET", "/%2E%2e/etc/passwd", {}, "127.0.0.1:8765"},
       400},
      {"a source by its name",
       {"GET", "/" + std::string(train_file), {}, "127.0.0.1:8765"},
       404},
      {"an unknown path", {"GET", "/index.html", {}, "localhost:8765"}, 404},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    const view_response r = handle_view_request(f.state, c.request);
    EXPECT_EQ(r.status, c.status);
    EXPECT_FALSE(r.events);
    EXPECT_EQ(r.body.find("segnale"), std::string::npos);
  }
}

TEST(view, serves_the_page_the_picture_and_the_model) {
  view_fixture f;
  const view_response page = f.get("/");
  EXPECT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("new EventSource(\"/events\")"), std::string::npos);
  EXPECT_TRUE(f.get("/events").events);

  const view_response svg =
      f.get("/plot.svg", {{"from", "1500"}, {"to", "2500"}, {"width", "900"}});
  ASSERT_EQ(svg.status, 200);
  EXPECT_EQ(svg.content_type.rfind("image/svg+xml", 0), 0u);
  EXPECT_NE(svg.body.find("data-from-m=\"1500\" data-to-m=\"2500\""),
            std::string::npos);
  EXPECT_NE(svg.body.find("width=\"900\""), std::string::npos);
  EXPECT_EQ(svg.body.find("id=\"timetable\""), std::string::npos);
  // Numbers that are no numbers fall back to the whole line.
  const view_response odd =
      f.get("/plot.svg", {{"from", "x"}, {"to", "1e999"}});
  EXPECT_NE(odd.body.find("data-from-m=\"0\" data-to-m=\"108000\""),
            std::string::npos);

  const nlohmann::json model = nlohmann::json::parse(f.get("/model.json").body);
  EXPECT_EQ(model["stations"].size(), 23u);
  EXPECT_EQ(model["stations"][3]["name"], "PRALUSCO");
  EXPECT_EQ(model["stations"][3]["src"],
            join_path(f.dir.path(), train_file) + ":30");
  EXPECT_EQ(model["diagnostics"].size(), 0u);
  EXPECT_FALSE(model["stale"].get<bool>());
}

TEST(view, a_broken_source_keeps_the_last_good_picture_marked_stale) {
  view_fixture f;
  EXPECT_FALSE(refresh_view_if_changed(f.state));
  const std::int64_t first = f.state.version;

  f.edit_train("stazione,   25000,", "stazione,   25020,");
  EXPECT_TRUE(refresh_view_if_changed(f.state));
  EXPECT_EQ(f.state.version, first + 1);
  nlohmann::json model = nlohmann::json::parse(f.get("/model.json").body);
  EXPECT_TRUE(model["stale"].get<bool>());
  ASSERT_EQ(model["diagnostics"].size(), 1u);
  EXPECT_EQ(model["diagnostics"][0]["code"], 8);
  EXPECT_EQ(model["diagnostics"][0]["line"], 30);
  EXPECT_EQ(model["diagnostics"][0]["metre"], 25020);
  // The timetable and the picture are those of the last good compile.
  EXPECT_EQ(model["stations"].size(), 23u);
  EXPECT_EQ(f.get("/plot.svg").status, 200);

  f.edit_train("stazione,   25020,", "stazione,   25000,");
  EXPECT_TRUE(refresh_view_if_changed(f.state));
  model = nlohmann::json::parse(f.get("/model.json").body);
  EXPECT_FALSE(model["stale"].get<bool>());
  EXPECT_EQ(model["diagnostics"].size(), 0u);
}

// The page tells an author what check does: the model's diagnostics are the
// objects `check --diagnostics-format json` writes for the same folder, notes
// included, each with the metre of its place beside them.
TEST(view, diagnostics_are_those_of_check_with_their_notes) {
  view_fixture f;
  // A second signal at 2000 m: error 16 at its row (54), and a note at the
  // row that took the cell first (52).
  f.edit_train("segnale,    5000,", "segnale,    2000,");
  ASSERT_TRUE(refresh_view_if_changed(f.state));
  const tool_result check = run_scenario_tool(
      {"check", "--dir", f.dir.path(), "--diagnostics-format", "json"});
  EXPECT_EQ(check.status, 1);
  const nlohmann::json expected = nlohmann::json::parse(check.err);
  ASSERT_EQ(expected.size(), 1u) << check.err;
  ASSERT_EQ(expected[0]["notes"].size(), 1u) << check.err;
  EXPECT_EQ(expected[0]["notes"][0]["line"], 52);

  nlohmann::json shown =
      nlohmann::json::parse(f.get("/model.json").body)["diagnostics"];
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0]["metre"], 2000);
  EXPECT_EQ(shown[0]["notes"][0]["metre"], 2000);
  for (nlohmann::json& d : shown) {
    d.erase("metre");
    for (nlohmann::json& note : d["notes"]) note.erase("metre");
  }
  EXPECT_EQ(shown, expected);
}

TEST(view, a_real_socket_refuses_bad_requests_and_keeps_serving) {
  served_view v;
  ASSERT_GT(v.port(), 0) << v.err.str();
  const struct {
    const char* note;
    std::string request;
    int status;
  } cases[] = {
      {"a foreign Host", get_request("/", "attacker.example"), 421},
      {"a climbing path", get_request("/../etc/passwd", v.host()), 400},
      {"an unknown path", get_request("/nothing", v.host()), 404},
      {"a method that changes things, with a body",
       "POST / HTTP/1.1\r\nHost: " + v.host() +
           "\r\nContent-Length: 1\r\n\r\nx",
       405},
      {"no Host in HTTP/1.1", "GET / HTTP/1.1\r\n\r\n", 400},
      {"HTTP/2 in a request line",
       "GET / HTTP/2.0\r\nHost: " + v.host() + "\r\n\r\n", 505},
      {"a header far beyond any browser's",
       "GET / HTTP/1.1\r\nHost: " + v.host() +
           "\r\nX-Huge: " + std::string(100000, 'a') + "\r\n\r\n",
       431},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    EXPECT_EQ(status_of(fetch(v.port(), c.request)), c.status);
  }
  // And still serving, the page and then the model on one connection.
  raw_client client(v.port());
  ASSERT_TRUE(client.send("GET / HTTP/1.1\r\nHost: " + v.host() + "\r\n\r\n"));
  const std::string page = client.read_until("</html>");
  EXPECT_EQ(status_of(page), 200);
  EXPECT_NE(page.find("<title>scenario view</title>"), std::string::npos);
  ASSERT_TRUE(client.send(get_request("/model.json?x=1", v.host())));
  const std::string both = client.read_all();
  EXPECT_NE(both.find("\"version\":1"), std::string::npos);

  // The port is this server's alone: a second view, of another folder
  // perhaps, cannot listen beside it and take some of its requests.
  view_fixture other;
  view_server_control second;
  std::ostringstream second_err;
  EXPECT_EQ(serve_view(other.state, "127.0.0.1", v.port(), second, second_err),
            2);
  EXPECT_EQ(second.port, 0) << "a second server listens on the same port";
  EXPECT_NE(second_err.str().find("cannot listen"), std::string::npos);
  EXPECT_EQ(v.err.str(), "");
}

// A wildcard bind warns, and answers an honest remote client (any IP
// literal) but not a forged name.
TEST(view, a_wildcard_bind_warns_and_answers_ip_literals) {
  served_view v("0.0.0.0");
  ASSERT_GT(v.port(), 0) << v.err.str();
  EXPECT_NE(v.err.str().find("warning: listening on 0.0.0.0"),
            std::string::npos);
  const std::string port = ":" + std::to_string(v.port());
  for (const auto& [host, status] :
       std::vector<std::pair<std::string, int>>{{"127.0.0.1" + port, 200},
                                                {"192.168.7.7" + port, 200},
                                                {"localhost" + port, 200},
                                                {"0.0.0.0" + port, 200},
                                                {"rebound.example" + port, 421},
                                                {"192.168.7.7:1", 421}}) {
    SCOPED_TRACE(host);
    EXPECT_EQ(status_of(fetch(v.port(), get_request("/model.json", host))),
              status);
  }
}

}  // namespace
