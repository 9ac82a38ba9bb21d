# Tests of the patch canvas and the editor, headless.
add_executable(editor_tests CanvasTest.cpp EditorTest.cpp)
target_link_libraries(editor_tests PRIVATE switchyard_test_support switchyard_warnings)
gtest_discover_tests(editor_tests DISCOVERY_MODE PRE_TEST)

# The editor on a real (virtual) screen, where the boxes' shadows join the canvas.
find_package(X11 REQUIRED)
add_executable(editor_screen_tests EditorOnScreenTest.cpp)
target_link_libraries(editor_screen_tests PRIVATE switchyard_test_support X11::X11 switchyard_warnings)
add_test(NAME editor_screen_tests
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/run-under-xvfb $<TARGET_FILE:editor_screen_tests>)
