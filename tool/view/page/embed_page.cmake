# Builds the page of `scenario_tool view` into the tool. view.html names its
# stylesheet and script as files beside it, as a page does; here they are put
# in place of the two elements that name them, so that the server answers /
# with one page that needs nothing else and serves no file. The bytes go into
# a C++ source that defines view_page_html() (tool/view/view_page.h).
#
#   cmake -DPAGE_DIR=DIR -DOUTPUT=FILE.cpp -P embed_page.cmake
#
# Fails, writing nothing, when view.html does not name each file exactly
# once in the form below: a page served without its script would look whole
# and do nothing.

foreach(required PAGE_DIR OUTPUT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "embed_page.cmake: -D${required}= is missing")
  endif()
endforeach()

# Replaces `element` in the variable `page_var` by `open`, the text of
# PAGE_DIR/`file` and `close`.
function(put_in_place page_var element file open close)
  set(page "${${page_var}}")
  string(FIND "${page}" "${element}" first)
  string(FIND "${page}" "${element}" last REVERSE)
  if(first EQUAL -1 OR NOT first EQUAL last)
    message(FATAL_ERROR
            "embed_page.cmake: view.html must hold ${element} once")
  endif()
  file(READ "${PAGE_DIR}/${file}" text)
  string(LENGTH "${element}" element_bytes)
  math(EXPR after "${first} + ${element_bytes}")
  string(SUBSTRING "${page}" 0 ${first} before)
  string(SUBSTRING "${page}" ${after} -1 rest)
  set(${page_var} "${before}${open}${text}${close}${rest}" PARENT_SCOPE)
endfunction()

file(READ "${PAGE_DIR}/view.html" page)
put_in_place(page "<link rel=\"stylesheet\" href=\"view.css\">\n" view.css
             "<style>\n" "</style>\n")
put_in_place(page "<script src=\"view.js\"></script>\n" view.js
             "<script>\n" "</script>\n")

# The bytes as character literals, sixteen to a line: any byte is safe in
# them, and no compiler limits their count as it limits a string literal's.
string(HEX "${page}" hex)
string(REPEAT "[0-9a-f][0-9a-f]" 16 sixteen)
string(REGEX REPLACE "(${sixteen})" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," chars "${hex}")
string(REGEX REPLACE "\n$" "" chars "${chars}")
string(REPLACE "\n" "\n    " chars "${chars}")

file(WRITE "${OUTPUT}.new"
"// Written by tool/view/page/embed_page.cmake from tool/view/page/; do not edit.
#include \"tool/view/view_page.h\"

namespace {

const char page_bytes[] = {
    ${chars}
};

}  // namespace

std::string_view view_page_html() { return {page_bytes, sizeof page_bytes}; }
")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
