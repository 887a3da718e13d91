# Writes the entries of every list box of the main window's template (res/VexaDlg.ui), by
# control id, as a C++ table, so that vexactl names list entries exactly as the window shows
# them without reading the template at run time.
#   cmake -DTEMPLATE=<VexaDlg.ui> -DOUTPUT=<TemplateLists.cpp> -P TemplateLists.cmake
file(STRINGS "${TEMPLATE}" lines ENCODING UTF-8)
set(body "")
set(in_list FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "<widget class=\"QComboBox\"")
    set(in_list TRUE)
    set(id "")
    set(entries "")
  elseif(NOT in_list)
    continue()
  elseif(line MATCHES "name=\"controlId\".*<number>([0-9]+)</number>")
    set(id "${CMAKE_MATCH_1}")
  elseif(line MATCHES "<item>.*<string>(.*)</string>")
    set(text "${CMAKE_MATCH_1}")
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    string(REPLACE "&lt;" "<" text "${text}")
    string(REPLACE "&gt;" ">" text "${text}")
    string(REPLACE "&quot;" "\\\"" text "${text}")
    string(REPLACE "&amp;" "&" text "${text}")
    string(APPEND entries "\"${text}\", ")
  elseif(line MATCHES "</widget>")
    if(id STREQUAL "")
      message(FATAL_ERROR "${TEMPLATE}: a list box without a controlId")
    endif()
    string(APPEND body "        {${id}, {${entries}}},\n")
    set(in_list FALSE)
  endif()
endforeach()
if(body STREQUAL "")
  message(FATAL_ERROR "${TEMPLATE}: no list box found")
endif()
set(text "// Made at build time from the main window's template; do not edit.
#include \"TemplateLists.h\"

const std::vector<TemplateList>& TemplateLists() {
    static const std::vector<TemplateList> lists{
${body}    };
    return lists;
}
")
# Only a changed table is written, so that an unchanged template rebuilds nothing.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
  if(old STREQUAL text)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${text}")
