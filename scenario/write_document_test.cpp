#include "scenario/write_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario/embedded_scenario.h"
#include "test/run_fixture.h"
#include "test/temp_dir.h"

namespace {

std::string text_of(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(document_bytes, lines_end_with_cr_lf_up_to_the_end_marker) {
  const std::string marker(end_marker);
  struct {
    std::vector<std::string> lines;
    std::string expected;
    const char* note;
  } cases[] = {
      {{marker}, "", "only the marker: an empty file"},
      {{"a", "", "b  ", marker},
       "a\r\n\r\nb  \r\n",
       "empty lines and trailing blanks are written"},
      {{"a", marker, "never"}, "a\r\n", "nothing after the marker"},
      {{"a", "b"}, "a\r\nb\r\n", "a list without a marker is written whole"},
      {{"riferimento fine del file "},
       "riferimento fine del file \r\n",
       "only the exact marker ends the document"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    EXPECT_EQ(text_of(document_bytes(c.lines)), c.expected);
  }
}

TEST(write_document, replaces_a_longer_file_completely) {
  temp_dir dir;
  compile_context ctx = make_test_context(dir.path());
  dir.write("doc.txt", std::string(300, 'z'));
  ASSERT_TRUE(
      write_document(ctx, "doc.txt", {"x", std::string(end_marker)}).ok());
  EXPECT_EQ(dir.read("doc.txt"), "x\r\n");
}

TEST(write_document, notes_file_with_content_becomes_empty) {
  temp_dir dir;
  compile_context ctx = make_test_context(dir.path());
  dir.write("Cendra_Gelsio2_EC 482_note.txt", "old notes\r\n");
  ASSERT_TRUE(dati_note(ctx).ok());
  EXPECT_TRUE(dir.contains("Cendra_Gelsio2_EC 482_note.txt"));
  EXPECT_EQ(dir.read("Cendra_Gelsio2_EC 482_note.txt"), "");
}

TEST(write_document, writers_use_their_file_names) {
  temp_dir dir;
  compile_context ctx = make_test_context(dir.path());
  ASSERT_TRUE(dati_linea(ctx).ok());
  ASSERT_TRUE(dati_treno(ctx).ok());
  ASSERT_TRUE(dati_rallentamenti(ctx).ok());
  ASSERT_TRUE(dati_scheda(ctx).ok());
  EXPECT_EQ(dir.read("Cendra_Gelsio2_linea.txt"),
            text_of(document_bytes(line_source_document())));
  EXPECT_EQ(dir.read("Cendra_Gelsio2_EC 482-.txt"),
            text_of(document_bytes(train_source_document())));
  EXPECT_EQ(dir.read("Cendra_Gelsio2_EC 482_rallentamenti.txt"),
            text_of(document_bytes(slowdown_form_document())));
  EXPECT_EQ(dir.read("Cendra_Gelsio2_EC 482_scheda_treno.txt"),
            text_of(document_bytes(train_card_document())));
}

}  // namespace
