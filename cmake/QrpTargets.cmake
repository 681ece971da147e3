# Shared helpers for the project's targets.

set(QRP_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)

if(QRP_SANITIZE)
  string(REPLACE ";" "," _qrp_san "${QRP_SANITIZE}")
  add_compile_options(-fsanitize=${_qrp_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_qrp_san})
endif()

# qrp_setup_target(target): the project's warnings on a target, as errors with QRP_WERROR.
function(qrp_setup_target target)
  target_compile_options(${target} PRIVATE ${QRP_WARNINGS})
  if(QRP_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# qrp_test(NAME name LABEL label SOURCES ... LIBS ... [QT]): a GoogleTest program beside the
# code it tests, one CTest label per folder. QT marks tests that need a (headless) Qt platform.
function(qrp_test)
  cmake_parse_arguments(T "QT" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  qrp_setup_target(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # The sanitizers make everything some times slower.
  if(QRP_SANITIZE)
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * 3")
  endif()
  # CTest hands a test only the first variable of a list-valued ENVIRONMENT, so the
  # folders the tests need are also compiled in, as defaults for unset variables.
  target_sources(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/test_environment.cpp)
  target_compile_definitions(${T_NAME} PRIVATE
    QRP_TEST_SHARED_DIR="${PROJECT_SOURCE_DIR}/../shared"
    QRP_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  set(_env "QT_QPA_PLATFORM=offscreen")
  if(CMAKE_CROSSCOMPILING)
    # One emulated process per program: starting one per test case costs more than the tests.
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
  else()
    gtest_discover_tests(${T_NAME}
      PROPERTIES LABELS ${T_LABEL} ENVIRONMENT "${_env}" TIMEOUT ${T_TIMEOUT}
      DISCOVERY_TIMEOUT 60
      DISCOVERY_MODE PRE_TEST)
  endif()
endfunction()

# The Qt-free core must never link Qt, directly or through a dependency.
function(qrp_check_core_is_qt_free)
  foreach(target ${ARGN})
    set(_todo ${target})
    set(_seen "")
    while(_todo)
      list(POP_FRONT _todo _t)
      if(_t IN_LIST _seen)
        continue()
      endif()
      list(APPEND _seen ${_t})
      if(_t MATCHES "^Qt[0-9]*::|Qt6|Qt5")
        message(FATAL_ERROR "${target} must not link Qt, but it reaches ${_t}")
      endif()
      if(TARGET ${_t})
        get_target_property(_libs ${_t} LINK_LIBRARIES)
        get_target_property(_ilibs ${_t} INTERFACE_LINK_LIBRARIES)
        foreach(_l ${_libs} ${_ilibs})
          if(_l AND NOT _l MATCHES "NOTFOUND")
            string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" _l "${_l}")
            list(APPEND _todo ${_l})
          endif()
        endforeach()
      endif()
    endwhile()
  endforeach()
endfunction()

# qrp_folder(NAME lib [EXECUTABLE] LIBS ... [TEST_LIBS ...]): the folder's sources (every
# *.cpp except *_test.cpp, test_*.cpp and main.cpp) become the library `lib`; its *_test.cpp
# files become one test program `<folder>_tests` with the CTest label of the folder. A
# test_main.cpp in the folder replaces GoogleTest's main (for tests that need a
# QApplication or a print server).
function(qrp_folder)
  cmake_parse_arguments(F "" "NAME;TIMEOUT" "LIBS;TEST_LIBS" ${ARGN})
  get_filename_component(_folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  file(GLOB _all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB _testsupport CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
  set(_sources ${_all})
  if(_tests)
    list(REMOVE_ITEM _sources ${_tests})
  endif()
  if(_testsupport)
    list(REMOVE_ITEM _sources ${_testsupport})
  endif()
  list(REMOVE_ITEM _sources ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
  file(GLOB _resources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  if(NOT _sources)
    # A folder still without code: an interface library keeps the dependents linking.
    add_library(${F_NAME} INTERFACE)
    target_include_directories(${F_NAME} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${F_NAME} INTERFACE ${F_LIBS})
  else()
    add_library(${F_NAME} STATIC ${_sources} ${_resources})
    target_include_directories(${F_NAME} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${F_NAME} PUBLIC ${F_LIBS})
    qrp_setup_target(${F_NAME})
  endif()
  if(_tests)
    set(_main GTest::gtest_main)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/test_main.cpp)
      set(_main "")
    endif()
    qrp_test(NAME ${_folder}_tests LABEL ${_folder} TIMEOUT ${F_TIMEOUT}
      SOURCES ${_tests} ${_testsupport}
      LIBS ${F_NAME} ${F_TEST_LIBS} ${_main})
  endif()
endfunction()
