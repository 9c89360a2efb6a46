#include "tool/view.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "tool/tool_run.h"

namespace {

constexpr const char* train_file = "Cendra_Gelsio2_EC 482-.txt";

// A view of the embedded scenario's sources in a folder of its own, served
// (for the handler) as 127.0.0.1:8765.
struct view_fixture {
  temp_dir dir;
  view_state state;
  view_fixture() {
    (void)run_scenario_tool({"export", "--dir", dir.path()});
    state.dir = dir.path();
    state.scenario = "Cendra_Gelsio2";
    state.train = "EC 482";
    state.hosts = {"127.0.0.1:8765", "localhost:8765"};
    refresh_view(state);
  }
  view_response get(const std::string& path,
                    std::map<std::string, std::string> query = {}) {
    return handle_view_request(
        state, {"GET", path, std::move(query), "127.0.0.1:8765"});
  }
  // Rewrites the train source with one piece replaced, dated later so the
  // change is seen whatever the clock's grain.
  void edit_train(const std::string& from, const std::string& to) {
    std::string text = dir.read(train_file);
    text.replace(text.find(from), from.size(), to);
    dir.write(train_file, text);
    const std::filesystem::path path(dir.file(train_file));
    std::error_code ec;
    std::filesystem::last_write_time(
        path,
        std::filesystem::last_write_time(path, ec) + std::chrono::seconds(5),
        ec);
  }
};

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
  EXPECT_EQ(wait_for_version(f.state, first, 0), first + 1);
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

TEST(view, a_real_socket_refuses_bad_requests_and_keeps_serving) {
  view_fixture f;
  view_server_control control;
  std::ostringstream err;
  std::thread server(
      [&] { (void)serve_view(f.state, "127.0.0.1", 0, control, err); });
  for (int i = 0; i < 500 && control.port == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_GT(control.port, 0) << err.str();
  httplib::Client client("127.0.0.1", control.port);
  client.set_read_timeout(5);

  const auto status_of = [](const httplib::Result& r) {
    return r ? r->status : -1;
  };
  EXPECT_EQ(status_of(client.Get("/", {{"Host", "attacker.example"}})), 421);
  EXPECT_EQ(status_of(client.Get("/../etc/passwd")), 400);
  EXPECT_EQ(status_of(client.Get("/nothing")), 404);
  EXPECT_EQ(status_of(client.Post("/", "x", "text/plain")), 405);
  // A header far beyond any browser's: refused, or the connection dropped.
  const int huge =
      status_of(client.Get("/", {{"X-Huge", std::string(100000, 'a')}}));
  EXPECT_TRUE(huge == -1 || (huge >= 400 && huge < 500)) << huge;
  // And still serving.
  const httplib::Result page = client.Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("<title>scenario view</title>"), std::string::npos);

  // The port is this server's alone: a second view, of another folder
  // perhaps, cannot listen beside it and take some of its requests.
  view_fixture other;
  view_server_control second;
  std::ostringstream second_err;
  std::atomic<int> second_status{-1};
  std::thread beside([&] {
    second_status =
        serve_view(other.state, "127.0.0.1", control.port, second, second_err);
  });
  for (int i = 0; i < 500 && second_status == -1 && second.port == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(second.port, 0) << "a second server listens on the same port";
  second.stop = true;
  beside.join();
  EXPECT_EQ(second_status, 2);
  EXPECT_NE(second_err.str().find("cannot listen"), std::string::npos);

  control.stop = true;
  server.join();
  EXPECT_EQ(err.str(), "");
}

}  // namespace
