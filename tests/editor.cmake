# Tests of the patch canvas and the editor, headless.
add_executable(editor_tests CanvasTest.cpp EditorTest.cpp)
target_link_libraries(editor_tests PRIVATE switchyard_test_support switchyard_warnings)
gtest_discover_tests(editor_tests DISCOVERY_MODE PRE_TEST)
