// The page of `scenario_tool view`. It holds no data of its own: it fetches
// /model.json and /plot.svg, and fetches them again when /events names a new
// version. The picture is drawn by the server, with the plot's own drawing,
// for the stretch and width the page asks for; zoom and pan only change
// those and ask again, at most one request at a time.
#pragma once

#include <string>

// The page, with its script and style; it fetches everything else.
const std::string& view_page_html();
