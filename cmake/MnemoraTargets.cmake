# A subsystem's logic and presenters live in src/<subsystem> and link the
# standard library alone; its Qt front end lives in src/qt/<subsystem>; code
# over the help file library (libmspack) only in files named *_chm.*.
function(mnemora_split_sources dir core_out ui_out chm_out)
  file(GLOB all CONFIGURE_DEPENDS "${dir}/*.cpp")
  get_filename_component(sub "${dir}" NAME)
  get_filename_component(src "${dir}" DIRECTORY)
  file(GLOB ui CONFIGURE_DEPENDS "${src}/qt/${sub}/*.cpp")
  set(core "")
  set(chm "")
  foreach(f IN LISTS all)
    get_filename_component(name "${f}" NAME_WE)
    if(name MATCHES "_chm$")
      list(APPEND chm "${f}")
    else()
      list(APPEND core "${f}")
    endif()
  endforeach()
  set(${core_out} "${core}" PARENT_SCOPE)
  set(${ui_out} "${ui}" PARENT_SCOPE)
  set(${chm_out} "${chm}" PARENT_SCOPE)
endfunction()

# One test program per folder of tests/, so that a broken suite never stops
# the others from building.
function(mnemora_test_folder name dir)
  file(GLOB srcs CONFIGURE_DEPENDS "${dir}/*.cpp")
  # Suites that test what only one system has (see tests/CMakeLists.txt).
  if(MNEMORA_TESTS_ELSEWHERE)
    list(FILTER srcs EXCLUDE REGEX "${MNEMORA_TESTS_ELSEWHERE}")
  endif()
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  mnemora_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARGN} mnemora_test_support GTest::gmock GTest::gtest_main)
  # One CTest test per program: each suite runs in one process, not one
  # process per case, which mostly measured process and Qt start-up. The
  # program's own output names every failing case. Window tests draw into
  # memory, so no suite needs a display.
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
