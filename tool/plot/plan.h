// The track plan of the stretch drawn, as the line profile gives it: sampled,
// turned so that its chord runs from left to right, and scaled alike in both
// directions to fit the plan panel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/curve_table.h"
#include "tool/plot/scene.h"

struct plan_point {
  std::int64_t m;
  double x, y;  // page pixels
};

struct plan_view {
  std::vector<std::vector<plan_point>> pieces;  // broken where entries lack
  double north_x = 0, north_y = -1;             // page direction of north
  double metres_per_px = 0;
  std::int64_t end_m = -1;  // the line's end on the plan
};

// The plan's point at metre m; false where the profile has no value there,
// or one too far out to be a track plan rather than a damaged value.
bool plan_at(const curve_table& t, std::int64_t m, double& x, double& y);

// The plan of the stretch drawn, and the height of its panel in `plan_h`:
// the plan's own height up to 400 px (or the input's plan height), 90 px
// when there is no plan to draw. The run-out past the line's end shows when
// the stretch reaches the end.
// REQUIRES: frame_scene(sc) has run.
plan_view plan_of(const scene& sc, double& plan_h);

// The page position of metre m and the direction of the track there (a
// unit vector), from the two sampled points around it; false where the plan
// has no point.
bool plan_position(const plan_view& v, double m, double& x, double& y,
                   double& dx, double& dy);

// The path data of the points of `piece` from metre `from` to metre `to`.
std::string path_of(const std::vector<plan_point>& piece, std::int64_t from,
                    std::int64_t to);
