# Run by the build (cmake -P): copies the help sources into STAGE_DIR,
# re-encoding the text files from UTF-8 to Windows-1251, puts the steps of
# walking a list into each list's page, writes the perception pages,
# compiles the project there with chmcmd, mends its headers with MEND and
# puts the result at OUTPUT.
foreach(var SOURCE_DIR STAGE_DIR OUTPUT CHMCMD ICONV MEND)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "compile_help.cmake needs -D${var}=...")
  endif()
endforeach()

# Writes `text` (UTF-8) to STAGE_DIR/`rel` in Windows-1251. iconv refuses a
# character that Windows-1251 lacks and names its place, so such a character
# stops the build instead of turning into "?".
function(stage_text rel text)
  set(to "${STAGE_DIR}/${rel}")
  get_filename_component(to_dir "${to}" DIRECTORY)
  file(MAKE_DIRECTORY "${to_dir}")
  string(REPLACE "charset=utf-8" "charset=windows-1251" text "${text}")
  file(WRITE "${to}.utf8" "${text}")
  execute_process(COMMAND "${ICONV}" -f UTF-8 -t WINDOWS-1251 "${to}.utf8"
    OUTPUT_FILE "${to}" ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "help/${rel} holds a character that Windows-1251 cannot "
      "carry (write it as an HTML entity): ${err}")
  endif()
  file(REMOVE "${to}.utf8")
endfunction()

file(REMOVE_RECURSE "${STAGE_DIR}")
file(MAKE_DIRECTORY "${STAGE_DIR}")

file(READ "${SOURCE_DIR}/lists/walk_steps.inc" walk_steps)
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" LIST_DIRECTORIES false
  "${SOURCE_DIR}/*.htm" "${SOURCE_DIR}/*.hhc" "${SOURCE_DIR}/*.hhp"
  "${SOURCE_DIR}/*.css" "${SOURCE_DIR}/*.png")
foreach(rel IN LISTS sources)
  if(rel MATCHES "\\.png$")
    get_filename_component(to_dir "${STAGE_DIR}/${rel}" DIRECTORY)
    file(MAKE_DIRECTORY "${to_dir}")
    file(COPY_FILE "${SOURCE_DIR}/${rel}" "${STAGE_DIR}/${rel}")
  else()
    file(READ "${SOURCE_DIR}/${rel}" text)
    # The steps of walking a list read the same on every list's page; they
    # are written once, in lists/walk_steps.inc.
    if(text MATCHES "<!--walk-->")
      string(REPLACE "<!--walk-->\n" "${walk_steps}" text "${text}")
    endif()
    stage_text("${rel}" "${text}")
  endif()
endforeach()

# chmcmd maps at most one topic number to a page, so each perception page the
# project lists (perception00.htm for 4000, perception01.htm for 4010, ...) is
# written here: perception.htm with a line saying which perception opens it.
file(STRINGS "${SOURCE_DIR}/vantero.hhp" project_lines)
file(READ "${SOURCE_DIR}/perception.htm" perception_page)
foreach(line IN LISTS project_lines)
  if(line MATCHES "^perception([0-9]+)\\.htm$")
    math(EXPR key "${CMAKE_MATCH_1}")
    math(EXPR ordinal "${key} + 1")
    math(EXPR context "4000 + 10 * ${key}")
    string(REPLACE "<!--index-->"
      "<p class=\"note\">Номер этой страницы — ${context}. Её открывает щелчок по восприятию под ключом ${key} раздела [Disk], ${ordinal}-му по счёту.</p>"
      page "${perception_page}")
    stage_text("${line}" "${page}")
  endif()
endforeach()

execute_process(COMMAND "${CHMCMD}" vantero.hhp
  WORKING_DIRECTORY "${STAGE_DIR}"
  OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS "${STAGE_DIR}/vantero.chm")
  message(FATAL_ERROR "chmcmd could not compile help/vantero.hhp:\n${log}")
endif()
# chmcmd only warns about a page that a link or the project names but that is
# not there; a help file with holes must not ship.
if(log MATCHES "[Ww]arning|[Ee]rror|not found")
  message(FATAL_ERROR "chmcmd found problems in help/vantero.hhp:\n${log}")
endif()
execute_process(COMMAND "${MEND}" "${STAGE_DIR}/vantero.chm" ERROR_VARIABLE log RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the headers of the compiled help file could not be mended:\n${log}")
endif()
file(COPY_FILE "${STAGE_DIR}/vantero.chm" "${OUTPUT}")
