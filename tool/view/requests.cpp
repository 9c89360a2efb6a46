#include "tool/view/requests.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <utility>

#include "model/stored_values.h"
#include "tool/inspect/model_views.h"
#include "tool/plot/plot.h"
#include "tool/view/view_page.h"

namespace {

// With a charset, as they are text.
constexpr const char* svg_type = "image/svg+xml; charset=utf-8";
constexpr const char* json_type = "application/json; charset=utf-8";

view_response refuse(int status, const std::string& why) {
  return {status, "text/plain; charset=utf-8", why + "\n", false};
}

// A number from the query, or `fallback` when it is missing or not one.
double query_number(const view_request& r, const char* key, double fallback) {
  const auto it = r.query.find(key);
  if (it == r.query.end()) return fallback;
  double v = 0;
  const char* first = it->second.data();
  const char* last = first + it->second.size();
  const auto result = std::from_chars(first, last, v);
  if (result.ec != std::errc() || result.ptr != last || !std::isfinite(v))
    return fallback;
  return v;
}

std::string time_text(std::int32_t seconds) {
  if (seconds < 0) return "-";
  const time_parts t = decode_time_of_day(seconds);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d",
                static_cast<int>(t.hours), static_cast<int>(t.minutes),
                static_cast<int>(t.seconds));
  return buffer;
}

// The timetable's stations, from a compile a picture is drawn from.
nlohmann::json stations_json(const source_model& good) {
  nlohmann::json stations = nlohmann::json::array();
  const line_table& table = good.ctx.table;
  for (const auto& [slot, origin] : good.ctx.slot_owners) {
    const line_record* r = slot_at(table, slot);
    if (r == nullptr || !slot_used(*r) ||
        role_of_slot(slot, *r) != slot_role::station)
      continue;
    const std::string& file = origin.where == error_source::line_source
                                  ? good.line_file
                                  : good.train_file;
    stations.push_back({{"name", label_utf8(r->label)},
                        {"at_m", r->at_m},
                        {"from_m", r->from_m},
                        {"to_m", r->to_m},
                        {"time", time_text(r->time_s)},
                        {"kind", r->kind},
                        {"src", file + ":" + std::to_string(origin.line)}});
  }
  return stations;
}

// The diagnostics as `check --diagnostics-format json` writes them, so that
// the page and check cannot tell an author different things; each, and each
// of its notes, with the metre it is about beside its fields, where a click
// shows the track.
nlohmann::json diagnostics_with_metres(const source_model& m) {
  nlohmann::json list =
      nlohmann::json::parse(diagnostics_json(m.diagnostics), nullptr, false);
  // diagnostics_json writes JSON, with anything that is not UTF-8 replaced.
  assert(!list.is_discarded() && list.size() == m.diagnostics.size());
  for (std::size_t i = 0; i < m.diagnostics.size(); ++i) {
    const diagnostic& d = m.diagnostics[i];
    list[i]["metre"] = diagnostic_metre(m, d);
    for (std::size_t n = 0; n < d.notes.size(); ++n)
      list[i]["notes"][n]["metre"] = diagnostic_metre(m, d.notes[n]);
  }
  return list;
}

std::string model_json(const view_state& state) {
  nlohmann::json j;
  j["version"] = state.version;
  j["scenario"] = state.scenario;
  j["train"] = state.train;
  const source_model* good = state.good.get();
  const source_model* latest = state.latest.get();
  j["has_picture"] = good != nullptr;
  j["stale"] = good != nullptr && good != latest;
  if (good != nullptr)
    j["line_m"] = good->ctx.table.slots[slot_train_line_data].to_m;
  j["stations"] =
      good != nullptr ? stations_json(*good) : nlohmann::json::array();
  j["diagnostics"] = latest != nullptr ? diagnostics_with_metres(*latest)
                                       : nlohmann::json::array();
  j["errors"] = latest != nullptr ? latest->counts.errors : 0;
  j["warnings"] = latest != nullptr ? latest->counts.warnings : 0;
  // Labels are taken as Latin-1; anything else the sources hold is replaced
  // rather than refused.
  return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

std::string view_event_text(std::int64_t version) {
  return "data: " + std::to_string(version) + "\n\n";
}

view_response handle_view_request(view_state& state, const view_request& r) {
  // A page elsewhere could otherwise reach this server through a name that
  // resolves to this machine (DNS rebinding).
  if (!view_host_served(state.hosts, r.host))
    return refuse(421, "this server answers only to " +
                           (state.hosts.names.empty()
                                ? std::string("no host")
                                : state.hosts.names.front() + ":" +
                                      std::to_string(state.hosts.port)));
  if (r.method != "GET" && r.method != "HEAD")
    return refuse(405, "only GET and HEAD");
  // The server serves no file, but a path that climbs is refused outright,
  // whether its dots are written or encoded.
  std::string lower = r.path;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
  if (lower.find("..") != std::string::npos ||
      lower.find("%2e") != std::string::npos)
    return refuse(400, "a path must not hold ..");
  if (r.path == "/")
    return {200, "text/html; charset=utf-8", std::string(view_page_html()),
            false};
  if (r.path == "/events") return {200, "text/event-stream", "", true};
  // The models are never changed once made, so a request draws from its own
  // reference to one while the watcher may replace them.
  std::shared_ptr<const source_model> good;
  {
    const std::lock_guard<std::mutex> hold(state.lock);
    if (r.path == "/model.json")
      return {200, json_type, model_json(state), false};
    good = state.good;
  }
  if (r.path == "/plot.svg") {
    if (good == nullptr)
      return refuse(404, "no picture: the sources have not compiled yet");
    plot_input in = picture_of(*good);
    in.from_m = std::max(0.0, query_number(r, "from", 0));
    in.to_m = query_number(r, "to", -1);
    in.width_px = std::clamp(query_number(r, "width", 1200), 600.0, 8000.0);
    in.plan_h_px = 220;
    in.timetable = false;
    return {200, svg_type, plot_svg(in), false};
  }
  return refuse(404, "nothing here: the page is at /");
}
