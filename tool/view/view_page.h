// The page of `scenario_tool view`, built into the tool from its files:
// page/view.html, with page/view.css and page/view.js put in place of the
// elements that name them (page/embed_page.cmake writes the source that
// holds the bytes), so that the server answers / with one page and serves
// no file.
//
// The page holds no data of its own: it fetches /model.json and /plot.svg,
// and fetches them again when /events names a new version. The picture is
// drawn by the server, with the plot's own drawing, for the stretch and
// width the page asks for; zoom and pan only change those and ask again, at
// most one request at a time.
#pragma once

#include <string_view>

std::string_view view_page_html();
