// The names of a scenario's files read back: which pairs a folder holds,
// where a train source's scenario name ends, and what a binary file is
// compiled from.
#include "model/file_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(file_names, a_folder_holds_each_line_source_with_every_train_beside_it) {
  const struct {
    const char* note;
    std::vector<std::string> names;
    std::vector<scenario_names> pairs;
  } cases[] = {
      {"one pair among the documents and binaries",
       {"A_T-.txt", "A_linea.txt", "A_T.sim", "A_T_note.txt", "A_linea.dat"},
       {{"A", "T"}}},
      {"two trains of one line, in the order of their names",
       {"A_T2-.txt", "A_linea.txt", "A_T1-.txt"},
       {{"A", "T1"}, {"A", "T2"}}},
      {"a scenario name that holds '_'",
       {"My_Line_linea.txt", "My_Line_R 1-.txt"},
       {{"My_Line", "R 1"}}},
      {"a train source without its line source", {"A_T-.txt"}, {}},
      {"a line source without a train source", {"A_linea.txt"}, {}},
      {"a name given twice counts once",
       {"A_linea.txt", "A_T-.txt", "A_linea.txt", "A_T-.txt"},
       {{"A", "T"}}},
      {"names that only end like sources", {"_linea.txt", "A_-.txt"}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    EXPECT_EQ(source_pairs_among(c.names), c.pairs);
  }
}

TEST(file_names, a_train_source_reads_every_way_its_name_can_be_split) {
  EXPECT_EQ(
      readings_of_train_source("My_Line_R1-.txt"),
      (std::vector<scenario_names>{{"My", "Line_R1"}, {"My_Line", "R1"}}));
  EXPECT_TRUE(readings_of_train_source("MyLine-.txt").empty());
  EXPECT_TRUE(readings_of_train_source("MyLine_R1.txt").empty());
  std::string scenario;
  EXPECT_TRUE(scenario_of_line_source("My_Line_linea.txt", scenario));
  EXPECT_EQ(scenario, "My_Line");
  EXPECT_FALSE(scenario_of_line_source("My_Line_linea.dat", scenario));
}

TEST(file_names, built_names_read_back_as_their_pair) {
  const scenario_names pair{"Cendra_Gelsio2", "EC 482"};
  EXPECT_EQ(line_source_file(pair.scenario), "Cendra_Gelsio2_linea.txt");
  EXPECT_EQ(train_source_file(pair.scenario, pair.train),
            "Cendra_Gelsio2_EC 482-.txt");
  EXPECT_EQ(source_pairs_among({line_source_file(pair.scenario),
                                train_source_file(pair.scenario, pair.train),
                                track_file(pair.scenario, pair.train)}),
            std::vector<scenario_names>{pair});
  EXPECT_EQ(sources_of_binary_file(line_profile_file(pair.scenario), true),
            std::vector<std::string>{"Cendra_Gelsio2_linea.txt"});
  EXPECT_EQ(
      sources_of_binary_file(line_table_file(pair.scenario, pair.train), false),
      (std::vector<std::string>{"Cendra_Gelsio2_EC 482-.txt",
                                "Cendra_linea.txt",
                                "Cendra_Gelsio2_linea.txt"}));
}

TEST(file_names, a_name_that_would_leave_the_folder_is_refused) {
  EXPECT_EQ(name_fault("MyLine"), "");
  EXPECT_EQ(name_fault("EC 482"), "");
  EXPECT_NE(name_fault(""), "");
  EXPECT_NE(name_fault("../x"), "");
  EXPECT_NE(name_fault("a\\b"), "");
  EXPECT_NE(name_fault("a\nb"), "");
}
