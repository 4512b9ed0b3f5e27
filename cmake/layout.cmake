# The folders' includes run one way only, lowest layer first (README, Layout).
find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
  return()
endif()
add_test(NAME layout.folders COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/layout/check_layers.py)
set_tests_properties(layout.folders PROPERTIES LABELS unit)
