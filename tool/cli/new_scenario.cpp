#include "tool/cli/new_scenario.h"

#include "base/terminal_text.h"
#include "model/file_names.h"
#include "platform/platform.h"
#include "reader/field_reader.h"
#include "scenario/embedded_scenario.h"
#include "scenario/write_document.h"
#include "tool/cli/command_files.h"

namespace {

constexpr int status_stopped = 2;

// The row a line starts, judged by its first field as the readers judge a
// keyword; null for section markers, comments and anything else.
const row_rule* row_of_line(const std::string& line, source_file source) {
  const std::string first = line.substr(0, line.find(','));
  if (is_comment(first) || is_section_marker(first)) return nullptr;
  for (const row_rule& row : source_rows(source))
    if (row_matches(row, first)) return &row;
  return nullptr;
}

}  // namespace

std::string row_comment(const row_rule& row) {
  std::string text = std::string("-- ") + row.name + ":";
  const char* separator = " ";
  for (const field_rule& f : row.fields) {
    text += separator + std::string(f.name);
    if (!f.unit.empty()) text += " (" + std::string(f.unit) + ")";
    separator = " / ";
  }
  return text;
}

std::vector<std::string> with_row_comments(
    const std::vector<std::string>& lines, source_file source) {
  std::vector<std::string> out;
  const row_rule* before = nullptr;
  for (const std::string& line : lines) {
    const row_rule* row = row_of_line(line, source);
    if (row != nullptr && row != before) out.push_back(row_comment(*row));
    before = row;
    out.push_back(line);
  }
  return out;
}

std::vector<std::string> new_line_rows() {
  return {"[generale]",
          "lunghezza percorso,    3000",
          "[curve]",
          "curvad3,  1000,  300",
          "[pendenze]",
          "pendenza,     0,    0",
          "pendenza,  1200,    4",
          "[montagne]",
          "[cartelli]",
          "[indicazioni]",
          "[fine]"};
}

std::vector<std::string> new_train_rows() {
  return {
      "[generale]",
      "numero vetture,    5",
      "percentuale massa frenata,    100",
      "sabbia,    0",
      "orologio,    8    0    0",
      "[aderenze]",
      "aderenza,     0,    100",
      "[vel_limite]",
      "velocita,     0,    80",
      "[stazioni]",
      "stazione,     200,  2,  800,  1, 1, 0,  1,1,0,  2,1,1,    1,   8, 0, 0, "
      "START",
      "stazione,    2500,  6,  800,  1, 1, 0,  1,1,0,  2,1,1,    0,   8, 4, 0, "
      "END",
      "[rallentamenti]",
      "[segnali]",
      "segnale,    1000,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
      "[codici]",
      "[fine]",
  };
}

step_result dati_linea_annotated(compile_context& ctx) {
  return write_document(
      ctx, line_source_name(ctx),
      with_row_comments(line_source_document(), source_file::line));
}

step_result dati_treno_annotated(compile_context& ctx) {
  return write_document(
      ctx, train_source_name(ctx),
      with_row_comments(train_source_document(), source_file::train));
}

CLI::App* add_new_command(CLI::App& app, new_options& o) {
  CLI::App* command = app.add_subcommand(
      "new",
      "write a small line source and train source of your own, with comments "
      "that say what each row is");
  command->add_option("--scenario", o.scenario, "the scenario name")
      ->required()
      ->check(name_fault, "NAME");
  command->add_option("--train", o.train, "the train name")
      ->required()
      ->check(name_fault, "NAME");
  command->add_option("--dir", o.dir,
                      "the directory to write into, made when it does not "
                      "exist (default: the current directory)");
  command->add_flag("--force", o.force, "replace files of the same names");
  return command;
}

int run_new(const new_options& o, std::ostream& err) {
  if (!make_directory(o.dir, err)) return status_stopped;
  compile_context ctx;
  ctx.scenario_name = o.scenario;
  ctx.train_name = o.train;
  ctx.files.directory = o.dir.empty() ? "." : o.dir;
  ctx.files.headless = true;
  const std::string line_name = line_source_name(ctx);
  const std::string train_name = train_source_name(ctx);
  if (!may_write_files(ctx.files, o.dir, {line_name, train_name}, o.force, err))
    return status_stopped;
  // The pair is one set, as export's files are: both or neither.
  std::vector<staged_file> staged;
  ctx.files.staged = &staged;
  step_result r = step_ok();
  for (const auto& [name, lines] :
       {std::pair{line_name,
                  with_row_comments(new_line_rows(), source_file::line)},
        std::pair{train_name,
                  with_row_comments(new_train_rows(), source_file::train)}})
    if (r.ok()) r = write_document(ctx, name, lines);
  r = finish_staged(ctx.files, r);
  if (!r.ok()) {
    err << "scenario_tool: error: " << terminal_safe(r.detail) << '\n';
    return status_stopped;
  }
  return 0;
}
