// The longest line the compiler accepts, 1,000,000 m, with dense content,
// compiled in memory. The figures it must give are worked out here from the
// rows themselves, without the compiler: file sizes, a sample of cells, the
// line table, and points of the plan computed in closed form.
#include <gtest/gtest.h>

#include <complex>
#include <cstdint>
#include <string>
#include <vector>

#include "model/compile_context.h"
#include "platform/memory_disk.h"
#include "run/run_sequence.h"
#include "test/long_line.h"
#include "test/run_fixture.h"

namespace {

constexpr std::int32_t length_m = 1000000;
constexpr std::int32_t last_metre = length_m + 7000;  // L
constexpr std::int32_t last_cell = last_metre / 50;   // N

class longest_line : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    line_ = new long_line(make_long_line(length_m));
    disk_ = new memory_disk;
    ctx_ = new compile_context(make_test_context(""));
    ctx_->files.memory = disk_;
    disk_->files[line_source_name(*ctx_)] = long_line_source(*line_);
    disk_->files[train_source_name(*ctx_)] = long_train_source(*line_);
    result_ = new step_result(memorizza_percorso(*ctx_, 1));
  }
  static void TearDownTestSuite() {
    delete result_;
    delete ctx_;
    delete disk_;
    delete line_;
  }
  static const track_cell& cell(std::int64_t i) {
    return ctx_->grid.cells.at(static_cast<std::size_t>(i));
  }
  static std::size_t file_size(const std::string& name) {
    return disk_->files.count(name) != 0 ? disk_->files.at(name).size() : 0;
  }

  static long_line* line_;
  static memory_disk* disk_;
  static compile_context* ctx_;
  static step_result* result_;
};
long_line* longest_line::line_ = nullptr;
memory_disk* longest_line::disk_ = nullptr;
compile_context* longest_line::ctx_ = nullptr;
step_result* longest_line::result_ = nullptr;

TEST_F(longest_line, compiles_without_error_into_files_of_full_size) {
  ASSERT_TRUE(result_->ok()) << result_->detail;
  EXPECT_EQ(ctx_->error_code, 0) << ctx_->error_position;
  ASSERT_EQ(ctx_->grid.last_index(), 20140);
  ASSERT_EQ(ctx_->curves.last_metre, 1007000);
  // Sources read and removed, the three binary files written.
  EXPECT_EQ(disk_->files.size(), 3u);

  // A complete plan: per half two 16-bit entries, L - 3 doubles, two empty.
  EXPECT_EQ(file_size(line_profile_file_name(*ctx_)), 20u * last_metre - 36u);
  EXPECT_EQ(file_size(track_file_name(*ctx_)), 15u * (last_cell + 1));
  std::size_t labels = 14 + 6;  // scenario and train names
  for (const long_station& s : line_->stations) labels += s.name.size();
  for (int j = 0; j < long_line_text_boards; ++j)
    labels += ctx_->table.slots[static_cast<std::size_t>(80 - j)].label.size();
  EXPECT_EQ(file_size(line_table_file_name(*ctx_)), 87u * 34u + labels);
}

TEST_F(longest_line, fills_every_station_slot_the_boards_leave) {
  ASSERT_EQ(line_->stations.size(), 73u);
  for (std::size_t n = 1; n <= 73; ++n) {
    const long_station& s = line_->stations[n - 1];
    SCOPED_TRACE(s.name);
    const line_record& slot = ctx_->table.slots[n];
    EXPECT_EQ(slot.label, s.name);
    EXPECT_EQ(slot.at_m, s.position_m);
    EXPECT_EQ(slot.time_s, (s.hours * 60 + s.minutes) * 60);
    // Stations below kind 25 mark the cell before the end of the platform.
    if (s.kind < 25) {
      const std::int32_t to_m =
          s.kind == 6 ? s.position_m + 150 : s.position_m + s.length_m / 2;
      EXPECT_EQ(cell(to_m / 50 - 1).kind, kind_station_marker);
      EXPECT_EQ(cell(to_m / 50 - 1).value1, static_cast<std::int16_t>(n));
    }
  }
  // The two slots between the stations and the board texts stay clear.
  EXPECT_EQ(ctx_->table.slots[74].label, "");
  EXPECT_EQ(ctx_->table.slots[75].at_m, 0);
  EXPECT_EQ(ctx_->table.slots[76].label.substr(0, 4), "(KM ");
  EXPECT_EQ(ctx_->table.slots[80].label, "(KM 199)(PANNELLO 1)");
}

TEST_F(longest_line, one_station_more_than_the_table_allows_is_refused) {
  long_line crowded = make_long_line(length_m, 1);
  memory_disk disk;
  compile_context ctx = make_test_context("");
  ctx.files.memory = &disk;
  disk.files[line_source_name(ctx)] = long_line_source(crowded);
  disk.files[train_source_name(ctx)] = long_train_source(crowded);
  // Without the plan: the stations do not depend on it.
  ASSERT_TRUE(memorizza_percorso(ctx, 0).ok());
  EXPECT_EQ(ctx.error_code, 10);
  EXPECT_EQ(ctx.table.slots[74].label, "Fermata 74");
}

TEST_F(longest_line, stretch_values_of_a_sample_of_cells) {
  // A gradient row every 200 m takes effect from cell 4 i; the speed limits
  // every 20 km from cell 400 r. The last values run on to cell N - 3.
  for (std::int64_t c = 0; c <= last_cell; c += 37) {
    SCOPED_TRACE(c);
    std::uint8_t gradient = 0;
    std::uint8_t speed = 0;
    std::uint8_t adhesion = 0;
    if (c <= last_cell - 3) {
      std::size_t i = std::min<std::size_t>(static_cast<std::size_t>(c / 4),
                                            line_->gradients.size() - 1);
      std::size_t r = std::min<std::size_t>(static_cast<std::size_t>(c / 400),
                                            line_->speed_limits.size() - 1);
      gradient = static_cast<std::uint8_t>(100 + line_->gradients[i].per_mille);
      speed = static_cast<std::uint8_t>(line_->speed_limits[r].speed_kmh / 5);
      adhesion = 100;
    }
    EXPECT_EQ(cell(c).gradient, gradient);
    EXPECT_EQ(cell(c).speed_limit, speed);
    EXPECT_EQ(cell(c).adhesion, adhesion);
  }
  for (const long_mountain& m : line_->mountains) {
    SCOPED_TRACE(m.from_m);
    const std::uint8_t type = static_cast<std::uint8_t>(m.type % 10);
    EXPECT_EQ(cell(m.from_m / 50).mountain, type);
    EXPECT_EQ(cell(m.to_m / 50 - 1).mountain, type);
    EXPECT_EQ(cell(m.to_m / 50).mountain, 0);
  }
}

TEST_F(longest_line, point_features_of_a_sample_of_cells) {
  for (std::size_t i = 0; i < line_->signals.size(); i += 41) {
    const long_signal& s = line_->signals[i];
    SCOPED_TRACE(s.position_m);
    const std::int64_t k = s.position_m / 50 + 1;
    EXPECT_EQ(cell(k).kind, kind_signal);
    EXPECT_EQ(cell(k).value1, 10 * s.s1 + s.d1);
    EXPECT_EQ(cell(k).value2, 10 * s.s2 + s.d2);
    EXPECT_EQ(cell(k).value3, 10 * s.s3 + s.d3);
    EXPECT_EQ(cell(k).value4, 10 * s.rapp + 3 * s.sx + s.dx);
    EXPECT_EQ(cell(k).timer, s.sx == 2 ? s.tempo : 0);
    EXPECT_EQ(cell(k - 8).approach, 30 * s.sx + 10 * s.dx + 4);
  }
  for (std::int32_t p : line_->speed_boards_m) {
    EXPECT_EQ(cell(p / 50 + 1).kind, kind_speed_board) << p;
    EXPECT_EQ(cell(p / 50 + 1).value1, 1600) << p;
  }
  for (std::int32_t x : line_->slowdowns_m) {
    SCOPED_TRACE(x);
    const std::int64_t s = x / 50 + 1;  // 20 a + 6
    const std::int64_t board = (x - 1200) / 50 + 1;
    EXPECT_EQ(cell(s).kind, kind_slowdown_start);
    EXPECT_EQ(cell(s).value1, 60);
    EXPECT_EQ(cell(s + 20).kind, kind_slowdown_end);
    EXPECT_EQ(cell(board).kind, kind_warning_board);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(cell(board - 1 - i).kind, kind_pre_warning);
      EXPECT_EQ(cell(board - 1 - i).value1, i + 1);
    }
    // Markers: before the signal below the board, in the three groups before
    // the start, every 8 cells inside, and before the signal after the end.
    for (std::int64_t m :
         {s - 36, s - 18, s - 11, s - 5, s + 8, s + 16, s + 24}) {
      EXPECT_EQ(cell(m).kind, kind_code_marker) << m;
      EXPECT_EQ(cell(m).value1, 180) << m;
    }
  }
}

// The plan in closed form. A curved metre turns the last direction d into
// d (1 - i kappa) (x real, y imaginary), so n curved metres move the point
// by d q (q^n - 1) / (q - 1) with q = 1 - i kappa; a straight metre adds d.
TEST_F(longest_line, plan_points_match_the_closed_form) {
  using point = std::complex<long double>;
  const long double kappas[] = {0.0001L, 0.0002L, 0.0004L,
                                0.001L,  0.002L,  0.003L};
  point p(0, 1);  // metre 1
  point d(0, 1);
  std::int64_t m = 2;
  // The compiler adds one double per metre, a million times, so its
  // rounding drifts by a few millimetres over the line; a metre too many or
  // a wrong curvature would be off by metres.
  auto expect_metre = [](std::int64_t metre, point expected) {
    SCOPED_TRACE(metre);
    const double tolerance = 1e-8 * static_cast<double>(metre) + 1e-6;
    EXPECT_NEAR(static_cast<double>(expected.real()),
                curve_value(ctx_->curves, metre, 0), tolerance);
    EXPECT_NEAR(static_cast<double>(expected.imag()),
                curve_value(ctx_->curves, metre, 1), tolerance);
  };
  for (std::size_t j = 0; j < line_->curves.size(); ++j) {
    const long_curve& c = line_->curves[j];
    p += static_cast<long double>(c.start_m - m + 1) * d;
    const long double kappa =
        (c.side == 's' ? -1 : 1) *
        kappas[static_cast<std::size_t>(c.curve_class - 1)];
    const point q(1, -kappa);
    const point qn = std::pow(q, c.length_m);
    p += d * q * (qn - point(1)) / (q - point(1));
    d *= qn;
    m = c.start_m + c.length_m + 1;
    if (j % 100 == 0 || j + 1 == line_->curves.size()) expect_metre(m - 1, p);
  }
  p += static_cast<long double>(last_metre - 2 - m + 1) * d;
  expect_metre(last_metre - 2, p);
  EXPECT_EQ(curve_tag_at(ctx_->curves, last_metre - 1, 0), curve_tag::empty);
  EXPECT_EQ(curve_tag_at(ctx_->curves, last_metre, 1), curve_tag::empty);
  EXPECT_EQ(curve_tag_at(ctx_->curves, 1, 1), curve_tag::int16);
}

}  // namespace
