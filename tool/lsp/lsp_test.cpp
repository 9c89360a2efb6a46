// The language server in-process: the protocol for the embedded scenario and
// for sources with errors (the diagnostics check reports, at exact ranges),
// hover, completion and the outline, and the answers to messages it cannot
// follow.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/kept_inputs.h"
#include "fuzz/lsp_harness.h"
#include "test/long_line.h"
#include "test/temp_dir.h"
#include "test/tool_run.h"
#include "tool/lsp/lsp_diagnostics.h"
#include "tool/lsp/lsp_server.h"
#include "tool/lsp/lsp_text.h"

namespace {

using json = nlohmann::json;

const std::string line_source = "Cendra_Gelsio2_linea.txt";
const std::string train_source = "Cendra_Gelsio2_EC 482-.txt";

// A server and what it sent back, message by message.
struct lsp_client {
  lsp_server server;

  std::vector<json> send(const json& message) {
    std::vector<std::string> out;
    handle_message(server, message.dump(), out);
    std::vector<json> replies;
    for (const std::string& m : out) replies.push_back(json::parse(m));
    return replies;
  }
  json request(const std::string& method, const json& params) {
    const std::vector<json> replies = send({{"jsonrpc", "2.0"},
                                            {"id", ++id},
                                            {"method", method},
                                            {"params", params}});
    for (const json& r : replies)
      if (r.contains("id") && r["id"] == id) return r;
    return nullptr;
  }
  // The diagnostics published after a notification, by URI.
  std::map<std::string, json> notify(const std::string& method,
                                     const json& params) {
    std::map<std::string, json> published;
    for (const json& m :
         send({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}))
      if (m.value("method", "") == "textDocument/publishDiagnostics")
        published[m["params"]["uri"]] = m["params"]["diagnostics"];
    return published;
  }
  std::map<std::string, json> open(const std::string& uri,
                                   const std::string& text) {
    return notify("textDocument/didOpen", {{"textDocument",
                                            {{"uri", uri},
                                             {"languageId", "scenario"},
                                             {"version", 1},
                                             {"text", text}}}});
  }
  std::map<std::string, json> change(const std::string& uri,
                                     const std::string& text) {
    return notify("textDocument/didChange",
                  {{"textDocument", {{"uri", uri}, {"version", ++id}}},
                   {"contentChanges", json::array({{{"text", text}}})}});
  }
  json at(const std::string& method, const std::string& uri, int line,
          int character) {
    return request(method,
                   {{"textDocument", {{"uri", uri}}},
                    {"position", {{"line", line}, {"character", character}}}});
  }
  int id = 0;
};

// The embedded scenario exported into a folder, and an initialized server.
struct exported_scenario {
  temp_dir dir;
  lsp_client client;
  std::string line_uri = uri_of_path(dir.file(line_source));
  std::string train_uri = uri_of_path(dir.file(train_source));
  std::string line_text;
  std::string train_text;

  exported_scenario() {
    EXPECT_EQ(run_scenario_tool({"export", "--dir", dir.path()}).status, 0);
    line_text = dir.read(line_source);
    train_text = dir.read(train_source);
    EXPECT_TRUE(
        client.request("initialize", json::object()).contains("result"));
  }
};

// Replaces the first `what` of a text by `by`.
std::string with(std::string text, const std::string& what,
                 const std::string& by) {
  const std::size_t at = text.find(what);
  EXPECT_NE(at, std::string::npos) << what;
  if (at != std::string::npos) text.replace(at, what.size(), by);
  return text;
}

json range(int line, int from, int to) {
  return {{"start", {{"line", line}, {"character", from}}},
          {"end", {{"line", line}, {"character", to}}}};
}

TEST(lsp, embedded_scenario_opens_without_diagnostics_for_both_sources) {
  exported_scenario s;
  const auto published = s.client.open(s.train_uri, s.train_text);
  ASSERT_EQ(published.size(), 2u);
  EXPECT_EQ(published.at(s.line_uri), json::array());
  EXPECT_EQ(published.at(s.train_uri), json::array());
}

// Two independent errors in the train source: the server reports them, at
// their fields, as check reports them on the saved files, and a change that
// removes them clears them.
TEST(lsp, errors_arrive_at_exact_ranges_as_check_reports_them) {
  exported_scenario s;
  s.client.open(s.line_uri, s.line_text);
  const std::string bad = with(with(s.train_text, "velocita,   20000,    85",
                                    "velocita,   20000,   -85"),
                               "stazione,   25000,", "stazione,   25020,");
  const auto published = s.client.open(s.train_uri, bad);
  ASSERT_EQ(published.count(s.line_uri), 1u);
  const json& list = published.at(s.train_uri);
  ASSERT_EQ(list.size(), 2u) << list.dump(1);
  EXPECT_EQ(list[0]["range"], range(11, 21, 24));
  EXPECT_EQ(list[0]["code"], 25);
  EXPECT_EQ(list[0]["severity"], 1);
  EXPECT_EQ(list[0]["message"],
            "speed limit: -85 km/h is below 0 (speed limits are kept in "
            "units of 5 km/h in one byte)");
  EXPECT_EQ(list[1]["range"], range(29, 12, 17));
  EXPECT_EQ(list[1]["code"], 8);
  EXPECT_EQ(list[1]["message"],
            "a station position is not a multiple of 50 (at 25020 m)");

  // check on the same text, saved.
  s.dir.write(train_source, bad);
  const tool_result check = run_scenario_tool(
      {"check", "--dir", s.dir.path(), "--diagnostics-format", "json"});
  const json expected = json::parse(check.err);
  ASSERT_EQ(expected.size(), list.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(i);
    const json& e = expected[i];
    EXPECT_EQ(list[i]["message"], e["message"]);
    EXPECT_EQ(list[i]["code"], e["code"]);
    const int line = e["line"].get<int>() - 1;
    EXPECT_EQ(list[i]["range"], range(line, e["column"].get<int>() - 1,
                                      e["end_column"].get<int>() - 1));
  }

  EXPECT_EQ(s.client.change(s.train_uri, s.train_text).at(s.train_uri),
            json::array());
}

// A change to one source checks its partner too: a line source cut short
// takes the stations beyond its end with it (code 113 in the train source).
TEST(lsp, a_change_to_the_line_source_rechecks_the_train_source) {
  exported_scenario s;
  s.client.open(s.train_uri, s.train_text);
  s.client.open(s.line_uri, s.line_text);
  const auto published =
      s.client.change(s.line_uri, with(s.line_text, "lunghezza percorso,",
                                       "lunghezza percorso, 30000 -- "));
  ASSERT_EQ(published.size(), 2u);
  bool train_error = false;
  for (const json& d : published.at(s.train_uri))
    train_error = train_error || d["severity"] == 1;
  EXPECT_TRUE(train_error) << published.at(s.train_uri).dump(1);
}

// Notes go with their error as related information at their own place: a
// signal on the cell of the signal before it.
TEST(lsp, a_note_is_related_information_at_its_own_row) {
  exported_scenario s;
  const std::string bad =
      with(s.train_text, "segnale,    5000,", "segnale,    3500,");
  const json list = s.client.open(s.train_uri, bad).at(s.train_uri);
  ASSERT_FALSE(list.empty());
  const json& d = list[0];
  EXPECT_EQ(d["code"], 16) << d.dump(1);
  EXPECT_EQ(d["range"], range(53, 12, 16));
  ASSERT_TRUE(d.contains("relatedInformation")) << d.dump(1);
  const json& note = d["relatedInformation"][0];
  EXPECT_EQ(note["location"]["uri"], s.train_uri);
  EXPECT_EQ(note["location"]["range"], range(52, 0, 7));
  EXPECT_EQ(note["message"],
            "the cell at 3500 m already holds the signal of this row");
}

// The editor's UTF-8 as single bytes, for a file saved so (its bytes are
// no UTF-8): a Latin-1 letter is one byte and one unit, a character past
// U+00FF has no byte and is reported where it stands, and one past U+FFFF
// takes two units, which the ranges after it on its line count.
TEST(lsp, columns_are_utf16_units_of_the_editors_text) {
  exported_scenario s;
  s.dir.write(train_source, with(s.train_text, "CENDRA", "CEND\xC8RA"));
  const std::string bad = with(with(s.train_text, "stazione,   25000,",
                                    "-- \xF0\x9D\x84\x9E,stazione,   25020,"),
                               "CENDRA", "CEND\xC3\x88RA \xE2\x82\xAC");
  const json list = s.client.open(s.train_uri, bad).at(s.train_uri);
  ASSERT_EQ(list.size(), 3u) << list.dump(1);
  // 25020 after "-- ", a character of two units, ",stazione,   ".
  EXPECT_EQ(list[0]["range"], range(29, 18, 23));
  EXPECT_EQ(list[0]["code"], 8);
  // The euro sign after "CENDÈRA ", at unit 63 of line 27.
  const std::size_t name =
      s.train_text.find("CENDRA") -
      s.train_text.rfind('\n', s.train_text.find("CENDRA")) - 1;
  const int euro = static_cast<int>(name) + 8;
  EXPECT_EQ(list[1]["range"], range(26, euro, euro + 1));
  EXPECT_NE(list[1]["message"].get<std::string>().find("no single-byte form"),
            std::string::npos);
  // The clef in the comment, two units.
  EXPECT_EQ(list[2]["range"], range(29, 3, 5));
}

// An accented station name typed in the editor is compiled as the file
// will hold it, so the server warns where check on the saved file warns:
// as UTF-8 bytes for a file saved as UTF-8 (as editors save, and as a new
// or plain ASCII file is taken), as single bytes for a file whose bytes on
// disk are no UTF-8. Saving the file in single bytes takes the warning
// away.
TEST(lsp, an_accented_label_gets_the_warning_check_gives_the_saved_file) {
  const std::string typed = "CEND\xC3\x88RA";  // as the editor sends it
  const struct {
    std::string on_disk;  // the name in the file before the editor opens it
    std::string saved;    // the name as the editor saves it
    std::size_t warnings;
    const char* note;
  } cases[] = {
      {"CENDRA", typed, 1, "a file in UTF-8 (here ASCII)"},
      {"CEND\xC8RA", "CEND\xC8RA", 0, "a file in single bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    exported_scenario s;
    s.dir.write(train_source, with(s.train_text, "CENDRA", c.on_disk));
    const std::string text = with(s.train_text, "CENDRA", typed);
    const json list = s.client.open(s.train_uri, text).at(s.train_uri);

    s.dir.write(train_source, with(s.train_text, "CENDRA", c.saved));
    const tool_result check = run_scenario_tool(
        {"check", "--dir", s.dir.path(), "--diagnostics-format", "json"});
    const json expected = json::parse(check.err);
    ASSERT_EQ(expected.size(), c.warnings) << check.err;
    ASSERT_EQ(list.size(), expected.size()) << list.dump(1);
    const editor_text columns =
        compiled_text(text, c.saved == typed ? file_encoding::utf8
                                             : file_encoding::single_byte);
    for (std::size_t i = 0; i < list.size(); ++i) {
      const json& e = expected[i];
      EXPECT_EQ(list[i]["message"], e["message"]);
      EXPECT_EQ(list[i]["severity"], 2);
      const int line = e["line"].get<int>() - 1;
      EXPECT_EQ(
          list[i]["range"],
          range(line, utf16_column(columns, line, e["column"].get<int>() - 1),
                utf16_column(columns, line, e["end_column"].get<int>() - 1)));
    }
    if (c.warnings == 0) continue;
    // Saved in single bytes after all: the file tells, and the warning goes.
    s.dir.write(train_source, with(s.train_text, "CENDRA", "CEND\xC8RA"));
    const auto saved = s.client.notify(
        "textDocument/didSave", {{"textDocument", {{"uri", s.train_uri}}}});
    EXPECT_EQ(saved.at(s.train_uri), json::array());
  }
}

// A number field ends at a blank: a warning on the minutes of the clock
// "orologio,    18              43            30" underlines the minutes
// alone, in the server and in check's end_column alike.
TEST(lsp, a_diagnostic_on_a_blank_separated_number_covers_that_number) {
  exported_scenario s;
  const std::string bad =
      with(s.train_text, "18              43", "18              4x");
  const json list = s.client.open(s.train_uri, bad).at(s.train_uri);
  ASSERT_EQ(list.size(), 1u) << list.dump(1);
  s.dir.write(train_source, bad);
  const tool_result check = run_scenario_tool(
      {"check", "--dir", s.dir.path(), "--diagnostics-format", "json"});
  const json expected = json::parse(check.err);
  ASSERT_EQ(expected.size(), 1u) << check.err;
  const int line = expected[0]["line"].get<int>() - 1;
  const int column = expected[0]["column"].get<int>();
  EXPECT_EQ(expected[0]["end_column"], column + 2);
  EXPECT_EQ(list[0]["range"], range(line, column - 1, column + 1));
  EXPECT_EQ(list[0]["message"], expected[0]["message"]);
}

// 50,000 pairs of characters past U+00FF on one line: the columns are
// found by a search, not by a walk over the characters before each, which
// took a time growing with their square; and no more than
// max_published_diagnostics are sent, the rest counted in one note.
TEST(lsp, many_wide_characters_on_one_line_are_mapped_in_bounded_time) {
  exported_scenario s;
  s.dir.write(train_source, "-- \xE8\r\n" + s.train_text);  // single bytes
  constexpr int wide = 50000;
  std::string comment = "-- ";
  for (int i = 0; i < wide; ++i) comment += "\xE2\x82\xAC\xF0\x9D\x84\x9E";
  const auto start = std::chrono::steady_clock::now();
  const json list = s.client.open(s.train_uri, comment + "\r\n" + s.train_text)
                        .at(s.train_uri);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  std::printf("%d wide characters on one line: diagnostics in %.2f s\n",
              2 * wide, seconds);
  ASSERT_EQ(list.size(), max_published_diagnostics + 1);
  // The last one sent is the clef of pair 500, after 499 pairs of one and
  // two units and its euro sign.
  const int at = 3 + 3 * 499 + 1;
  EXPECT_EQ(list[max_published_diagnostics - 1]["range"], range(0, at, at + 2));
  EXPECT_EQ(list.back()["range"], range(0, 0, 0));
  EXPECT_EQ(list.back()["message"].get<std::string>().rfind(
                std::to_string(2 * wide - max_published_diagnostics) +
                    " more diagnostics of this source are not shown",
                0),
            0u)
      << list.back();
  EXPECT_LT(seconds, 30.0);
}

// 20,000 faulty fields on one line, as the author types: the compile on
// each change and the diagnostics sent take bounded time.
TEST(lsp, twenty_thousand_faults_on_one_line_are_published_in_bounded_time) {
  exported_scenario s;
  std::string rows;
  for (int i = 0; i < 20000; ++i) rows += "pendenza,   0,    9a, ";
  const std::string bad = with(s.line_text, "pendenza,   0,    0", rows);
  s.client.open(s.train_uri, s.train_text);
  const auto start = std::chrono::steady_clock::now();
  const auto published = s.client.open(s.line_uri, bad);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  std::printf("20000 faults on one line: diagnostics in %.2f s\n", seconds);
  const json& list = published.at(s.line_uri);
  ASSERT_EQ(list.size(), max_published_diagnostics + 1);
  EXPECT_EQ(list[0]["message"],
            "'9a' is not a plain number: only its leading '9' counts");
  EXPECT_LT(seconds, 20.0);
}

TEST(lsp, hover_gives_the_field_its_grammar_entry_and_the_value_read) {
  exported_scenario s;
  s.client.open(s.train_uri, s.train_text);
  // "segnale,    3500," on line 53: the blanks before a field are its own.
  const json position = s.client.at("textDocument/hover", s.train_uri, 52, 10);
  ASSERT_TRUE(position["result"].is_object()) << position.dump(1);
  EXPECT_EQ(position["result"]["range"], range(52, 12, 16));
  const std::string text = position["result"]["contents"]["value"];
  for (const char* part :
       {"**signal** row, [segnali]", "field 1 of 11, **position** (m)",
        "read here: signal field 1, position: 3500 m; stored in cell at "
        "position / 50 + 1"})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;

  const json keyword = s.client.at("textDocument/hover", s.train_uri, 52, 2);
  EXPECT_NE(keyword["result"]["contents"]["value"].get<std::string>().find(
                "keyword: starts a signal row"),
            std::string::npos)
      << keyword.dump(1);
  // Past the end of the line: no field.
  EXPECT_EQ(s.client.at("textDocument/hover", s.train_uri, 52, 200)["result"],
            nullptr);
}

TEST(lsp, completion_offers_the_rows_of_the_cursors_section) {
  exported_scenario s;
  s.client.open(s.train_uri, s.train_text);
  s.client.open(s.line_uri, s.line_text);
  const struct {
    const std::string* uri;
    int line;
    int character;
    std::vector<std::string> labels;
    const char* note;
  } cases[] = {
      {&s.train_uri, 52, 0, {"segnale"}, "in [segnali]"},
      {&s.train_uri, 26, 3, {"stazione"}, "inside a keyword in [stazioni]"},
      {&s.train_uri, 52, 12, {}, "in a data field"},
      {&s.train_uri,
       1,
       0,
       {"percentuale massa frenata", "numero vetture", "orologio", "sabbia"},
       "train [generale]"},
      {&s.line_uri, 11, 0, {"curva"}, "in [curve]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    const json r =
        s.client.at("textDocument/completion", *c.uri, c.line, c.character);
    std::vector<std::string> labels;
    for (const json& item : r["result"]) labels.push_back(item["label"]);
    EXPECT_EQ(labels, c.labels);
  }
  const json curve =
      s.client.at("textDocument/completion", s.line_uri, 11, 0)["result"][0];
  EXPECT_EQ(curve["insertTextFormat"], 2);
  EXPECT_EQ(curve["textEdit"]["newText"],
            "${1:curvad3}, ${2:start}, ${3:length}");
  EXPECT_EQ(curve["textEdit"]["range"], range(11, 0, 0));
}

// The outline holds every section marker the reader reads (the last field,
// [fine], is never examined), in [stazioni] each station by name, and every
// signal.
TEST(lsp, outline_lists_sections_and_stations_by_name) {
  exported_scenario s;
  s.client.open(s.train_uri, s.train_text);
  const json r = s.client.request("textDocument/documentSymbol",
                                  {{"textDocument", {{"uri", s.train_uri}}}});
  std::vector<std::string> sections;
  std::vector<std::string> stations;
  std::size_t signals = 0;
  for (const json& section : r["result"]) {
    sections.push_back(section["name"]);
    for (const json& row : section["children"]) {
      if (section["name"] == "[stazioni]") stations.push_back(row["name"]);
      if (row["name"].get<std::string>().rfind("signal at ", 0) == 0) ++signals;
    }
  }
  EXPECT_EQ(sections,
            (std::vector<std::string>{
                "[generale]", "[aderenze]", "[vel_limite]", "[stazioni]",
                "[rallentamenti]", "[segnali]", "[codici]"}));
  ASSERT_GE(stations.size(), 3u);
  EXPECT_EQ(stations[0], "CENDRA");
  EXPECT_EQ(stations[2], "VALMORENZA");
  std::size_t rows = 0;
  for (std::size_t at = s.train_text.find("\nsegnale,");
       at != std::string::npos; at = s.train_text.find("\nsegnale,", at + 1))
    ++rows;
  EXPECT_EQ(signals, rows);
}

// Whatever comes, the server answers a request and goes on.
TEST(lsp, a_message_it_cannot_follow_gets_an_error_and_the_server_goes_on) {
  exported_scenario s;
  s.dir.write("track.dat", std::string("\x01\x00\x02", 3));
  const struct {
    std::string body;
    int code;
    const char* note;
  } cases[] = {
      {"{\"jsonrpc\":", -32700, "not JSON"},
      {"[1,2]", -32600, "not an object"},
      {R"({"jsonrpc":"2.0","id":7})", -32600, "no method"},
      {R"({"jsonrpc":"2.0","id":{},"method":"shutdown"})", -32600, "bad id"},
      {R"({"jsonrpc":"2.0","id":7,"method":"workspace/symbol"})", -32601,
       "unknown method"},
      {R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":{}})",
       -32602, "no document"},
      {R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":{"textDocument":{"uri":")" +
           uri_of_path(s.dir.file("none_linea.txt")) +
           R"("},"position":{"line":0,"character":0}}})",
       -32803, "a file that does not exist"},
      {R"({"jsonrpc":"2.0","id":7,"method":"textDocument/documentSymbol","params":{"textDocument":{"uri":")" +
           uri_of_path(s.dir.file("track.dat")) + R"("}}})",
       -32803, "a file that is not text"},
      {R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":{"textDocument":{"uri":"untitled:1"},"position":{"line":0,"character":0}}})",
       -32803, "no file at all"},
      {std::string(150000, '[') + std::string(150000, ']'), -32600,
       "arrays nested 150,000 deep, 300 KB"},
      {R"({"jsonrpc":"2.0","id":7,"method":"x","params":)" +
           std::string(60, '[') + std::string(60, ']') + "}",
       -32601, "nested 61 deep: within the bound, so read"},
      {R"({"jsonrpc":"2.0","id":7,"method":")" + std::string(100, '[') +
           R"(\"{"})",
       -32601, "brackets and an escaped quote in a string nest nothing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    std::vector<std::string> out;
    handle_message(s.client.server, c.body, out);
    ASSERT_EQ(out.size(), 1u);
    const json reply = json::parse(out[0]);
    EXPECT_EQ(reply["error"]["code"], c.code) << reply.dump();
    EXPECT_NE(reply["error"]["message"], "");
  }
  // Still serving.
  EXPECT_EQ(s.client.open(s.train_uri, s.train_text).at(s.train_uri),
            json::array());
}

std::string frames(const std::vector<std::string>& bodies) {
  std::string bytes;
  for (const std::string& b : bodies) bytes += framed(b);
  return bytes;
}

// The error codes of the framed replies a session wrote, in order, and in
// `count` how many replies there are.
std::vector<int> error_codes_of_replies(const std::string& written,
                                        std::size_t& count) {
  std::istringstream replies(written);
  std::string body;
  std::string fault;
  std::vector<int> errors;
  while (read_frame(replies, body, fault) == frame_read::message) {
    const json reply = json::parse(body);
    EXPECT_EQ(reply["jsonrpc"], "2.0");
    if (reply.contains("error")) errors.push_back(reply["error"]["code"]);
    ++count;
  }
  return errors;
}

// The session on a stream: broken frames are answered and passed, and the
// exit status says whether shutdown came before exit.
TEST(lsp, session_reads_frames_and_ends_on_exit_or_end_of_input) {
  const std::string init =
      R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})";
  const std::string shutdown =
      R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})";
  const std::string exit = R"({"jsonrpc":"2.0","method":"exit"})";
  const std::string hover_early =
      R"({"jsonrpc":"2.0","id":0,"method":"textDocument/hover","params":{}})";
  const struct {
    std::string input;
    int status;
    std::vector<int> errors;  // the error codes answered, in order
    std::size_t replies;
    const char* note;
  } cases[] = {
      {frames({init, shutdown, exit}), 0, {}, 2, "clean"},
      {frames({init, exit}), 1, {}, 1, "exit without shutdown"},
      {frames({init}), 0, {}, 1, "input closed"},
      {frames({hover_early, init}), 0, {-32002}, 2, "before initialize"},
      {frames({init, shutdown}) + frames({init, exit}),
       0,
       {-32600},
       3,
       "a request after shutdown"},
      {"Content-Type: x\r\n\r\n" + frames({init}),
       0,
       {-32700},
       2,
       "a header without Content-Length"},
      {"Content-Length: 12x\r\n\r\n" + frames({init}),
       0,
       {-32700},
       2,
       "a length that is no number"},
      {frames({init}) + "Content-Length: 99\r\n\r\n{}",
       0,
       {},
       1,
       "a body cut off by the end of the input"},
      {"\r\n\n" + frames({init, exit, init}),
       1,
       {},
       1,
       "blank lines before; nothing read after exit"},
      {"Content-Length: " + std::to_string(max_message_bytes + 1) + "\r\n\r\n" +
           std::string(max_message_bytes + 1, '{') + frames({init}),
       0,
       {-32700},
       2,
       "a message over the bound, passed over unread"},
      {std::string(max_header_line_bytes - 1, 'x') + "\r\n" + frames({init}),
       0,
       {},
       1,
       "a header line as long as the bound"},
      {std::string(max_header_line_bytes + 1, 'x') + "\r\n" + frames({init}),
       lsp_framing_lost,
       {},
       0,
       "a header line over the bound ends the session"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    lsp_server server;
    std::istringstream in(c.input);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(lsp_session(server, in, out, err), c.status);
    std::size_t count = 0;
    EXPECT_EQ(error_codes_of_replies(out.str(), count), c.errors);
    EXPECT_EQ(count, c.replies);
  }
}

// An input of `size` bytes of one character and no line end, made as it
// is read, that counts the bytes the reader took from it.
struct endless_line : std::streambuf {
  explicit endless_line(std::size_t size) : left(size) {
    std::fill(std::begin(piece), std::end(piece), 'x');
  }
  int_type underflow() override {
    if (left == 0) return traits_type::eof();
    const std::size_t n = std::min(left, sizeof piece);
    left -= n;
    taken += n;
    setg(piece, piece, piece + n);
    return traits_type::to_int_type(piece[0]);
  }
  std::size_t left;
  std::size_t taken = 0;
  char piece[4096];
};

// A header line of 480 MB: the server reads no more of it than its bound
// (so it holds no more), says why it stops, and ends with a status that is
// not 0.
TEST(lsp, a_header_line_of_480_mb_is_read_no_further_than_its_bound) {
  endless_line line(std::size_t{480} << 20);
  std::istream in(&line);
  std::ostringstream out;
  std::ostringstream err;
  lsp_server server;
  EXPECT_EQ(lsp_session(server, in, out, err), lsp_framing_lost);
  EXPECT_LE(line.taken, max_header_line_bytes + sizeof line.piece);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("a header line longer than 4096 bytes"),
            std::string::npos)
      << err.str();
}

// A request may name any file. The server reads only the sources of the pair
// of a document the editor holds open; anything else is answered with an
// error that says so, without the file being opened: a FIFO, which would
// block a reader, is answered at once.
TEST(lsp, a_request_on_an_unopened_file_reads_only_a_source_of_an_open_pair) {
  exported_scenario s;
  s.dir.write("notes.txt", "stazione, 200\r\n");
  const std::string fifo = s.dir.file("Other_linea.txt");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  s.client.open(s.line_uri, s.line_text);

  const json partner =
      s.client.request("textDocument/documentSymbol",
                       {{"textDocument", {{"uri", s.train_uri}}}});
  ASSERT_TRUE(partner.contains("result")) << partner.dump();
  EXPECT_FALSE(partner["result"].empty());

  for (const std::string& uri :
       {uri_of_path(s.dir.file("notes.txt")), uri_of_path(fifo),
        std::string("file:///etc/passwd")}) {
    SCOPED_TRACE(uri);
    const json r = s.client.request("textDocument/documentSymbol",
                                    {{"textDocument", {{"uri", uri}}}});
    ASSERT_TRUE(r.contains("error")) << r.dump();
    EXPECT_EQ(r["error"]["code"], -32803);
    EXPECT_NE(r["error"]["message"].get<std::string>().find(
                  "is not open, and it is no source of the pair"),
              std::string::npos)
        << r.dump();
  }
}

// The fuzz target's hand-made seeds and kept findings, through its check: a
// whole session of every method, and frames broken in every way the framing
// knows. What a campaign merged in is run by the fuzzer itself.
TEST(lsp, fuzz_seeds_pass_the_session_check) {
  std::size_t seeds = 0;
  for (const auto& file :
       kept_inputs(std::filesystem::path(SOURCE_DIR) / "fuzz", "lsp")) {
    SCOPED_TRACE(file.string());
    EXPECT_EQ(check_lsp_session(file_contents(file)), "");
    ++seeds;
  }
  EXPECT_GE(seeds, 2u);
}

// How long a change takes to come back as diagnostics of both sources,
// the median of five changes (each one row more in the train source).
double change_to_diagnostics_ms(lsp_client& client, const std::string& uri,
                                const std::string& text) {
  std::vector<double> ms;
  for (int i = 0; i < 5; ++i) {
    const std::string edited = text + "-- change " + std::to_string(i) + "\r\n";
    const auto start = std::chrono::steady_clock::now();
    const auto published = client.change(uri, edited);
    ms.push_back(std::chrono::duration<double, std::milli>(
                     std::chrono::steady_clock::now() - start)
                     .count());
    EXPECT_EQ(published.size(), 2u);
  }
  std::sort(ms.begin(), ms.end());
  return ms[2];
}

// The figures an author waits for as they type. They are bounds only in an
// optimized build without sanitizers; other builds report the figures.
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
constexpr bool timed_build = false;
#else
constexpr bool timed_build = true;
#endif

TEST(lsp,
     diagnostics_follow_a_change_within_50_ms_and_500_ms_on_the_longest_line) {
  exported_scenario s;
  s.client.open(s.line_uri, s.line_text);
  s.client.open(s.train_uri, s.train_text);
  const double embedded_ms =
      change_to_diagnostics_ms(s.client, s.train_uri, s.train_text);

  const long_line line = make_long_line(1000000);
  s.dir.write("Long_linea.txt", long_line_source(line));
  s.dir.write("Long_T-.txt", long_train_source(line));
  const std::string long_line_uri = uri_of_path(s.dir.file("Long_linea.txt"));
  const std::string long_train_uri = uri_of_path(s.dir.file("Long_T-.txt"));
  s.client.open(long_line_uri, s.dir.read("Long_linea.txt"));
  const auto clean = s.client.open(long_train_uri, s.dir.read("Long_T-.txt"));
  EXPECT_EQ(clean.at(long_line_uri), json::array());
  const double long_ms = change_to_diagnostics_ms(s.client, long_train_uri,
                                                  s.dir.read("Long_T-.txt"));

  RecordProperty("embedded_ms", std::to_string(embedded_ms));
  RecordProperty("longest_line_ms", std::to_string(long_ms));
  std::printf(
      "change to diagnostics: embedded scenario %.1f ms, 1,000,000 m "
      "line %.1f ms\n",
      embedded_ms, long_ms);
  if (!timed_build) return;
  EXPECT_LT(embedded_ms, 50.0);
  EXPECT_LT(long_ms, 500.0);
}

// The editor's UTF-8 as a single-byte file holds it: a Latin-1 letter is
// one byte and one unit, a character past U+00FF is '?' and listed, and
// one past U+FFFF takes two units. As a UTF-8 file holds it: the bytes as
// they are, a letter of two bytes one unit, the clef's four bytes two.
TEST(lsp_text, the_editors_text_as_each_file_holds_it_and_columns_map_back) {
  const std::string utf8 =
      "a\xC3\xA8"
      "b\r\n\xE2\x82\xAC\xF0\x9D\x84\x9E"
      "c\n\xFF";
  const editor_text single = compiled_text(utf8, file_encoding::single_byte);
  EXPECT_EQ(single.bytes,
            "a\xE8"
            "b\r\n??c\n\xFF");
  ASSERT_EQ(single.wide.size(), 2u);
  EXPECT_EQ(single.wide[0].line, 1);
  EXPECT_EQ(single.wide[0].column, 0);
  EXPECT_EQ(single.wide[1].column, 1);
  EXPECT_EQ(single.wide[1].units, 2);
  const editor_text as_utf8_file = compiled_text(utf8, file_encoding::utf8);
  EXPECT_EQ(as_utf8_file.bytes, utf8);
  EXPECT_TRUE(as_utf8_file.wide.empty());
  const struct {
    const editor_text* text;
    int line, byte, units;
    const char* note;
  } columns[] = {
      {&single, 0, 2, 2, "a Latin-1 letter is one byte, one unit"},
      {&single, 1, 1, 1, "after the euro sign, one unit"},
      {&single, 1, 2, 3, "after the clef, two more"},
      {&single, 1, 3, 4, "and on"},
      {&as_utf8_file, 0, 3, 2, "a Latin-1 letter is two bytes, one unit"},
      {&as_utf8_file, 0, 4, 3, "and on"},
      {&as_utf8_file, 1, 3, 1, "the euro sign is three bytes, one unit"},
      {&as_utf8_file, 1, 7, 3, "the clef is four bytes, two units"},
      {&as_utf8_file, 2, 0, 0, "a new line starts anew"},
  };
  for (const auto& c : columns) {
    SCOPED_TRACE(c.note);
    EXPECT_EQ(utf16_column(*c.text, c.line, c.byte), c.units);
    EXPECT_EQ(byte_column(*c.text, c.line, c.units), c.byte);
  }
  EXPECT_EQ(as_utf8("\xE8"), "\xC3\xA8");
  EXPECT_EQ(as_utf8("\xC3\xA8"), "\xC3\xA8");
}

TEST(lsp_text, edits_and_uris) {
  const struct {
    std::string text;
    text_position from, to;
    std::string by, result;
  } edits[] = {
      {"ab\ncd", {1, 1}, {1, 2}, "X", "ab\ncX"},
      {"ab\r\ncd", {0, 2}, {1, 0}, "", "abcd"},  // joins CR LF lines
      {"\xF0\x9D\x84\x9E"
       "x",
       {0, 2},
       {0, 3},
       "y",
       "\xF0\x9D\x84\x9E"
       "y"},
      {"ab", {5, 0}, {5, 0}, "!", "ab!"},  // past the end: at the end
  };
  for (const auto& e : edits) {
    std::string text = e.text;
    EXPECT_TRUE(apply_edit(text, e.from, e.to, e.by));
    EXPECT_EQ(text, e.result);
  }
  std::string t = "abc";
  EXPECT_FALSE(apply_edit(t, {0, 2}, {0, 1}, ""));

  const std::string path = "/tmp/a b/Cendra_EC 482-.txt";
  EXPECT_EQ(uri_of_path(path), "file:///tmp/a%20b/Cendra_EC%20482-.txt");
  std::string back;
  EXPECT_TRUE(path_of_uri(uri_of_path(path), back));
  EXPECT_EQ(back, path);
  EXPECT_FALSE(path_of_uri("untitled:1", back));
}

}  // namespace
