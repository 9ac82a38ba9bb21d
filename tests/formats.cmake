# The VST3 and LV2 plug-ins, loaded as hosts load them.

# The toolkit's own VST3 and LV2 hosting, in a JUCE of the test's own: the one the product links
# hosts nothing.
switchyard_add_juce(switchyard_juce_hosting HOSTING)

add_executable(format_tests FormatsTest.cpp TestMain.cpp MessagePump.cpp)
target_include_directories(format_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(format_tests PRIVATE
  LAMPWICK_VST3_PATH="${CMAKE_BINARY_DIR}/Lampwick.vst3"
  LAMPWICK_LV2_BUNDLE="${CMAKE_BINARY_DIR}/Lampwick.lv2"
  LAMPWICK_LV2_URI="$<TARGET_PROPERTY:LampwickFormats,JUCE_LV2URI>")
target_link_libraries(format_tests PRIVATE switchyard_juce_hosting GTest::gtest switchyard_warnings)
add_dependencies(format_tests LampwickFormats_VST3 LampwickFormats_LV2)
# The editors open in windows of their own: on a private X server.
add_test(NAME format_tests
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/run-under-xvfb $<TARGET_FILE:format_tests>)
set_tests_properties(format_tests PROPERTIES LABELS formats TIMEOUT 300)

# The description that the toolkit's helper writes, read by lv2ls and lv2info (lilv-utils).
add_test(NAME lv2_bundle_tests
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check-lv2-bundle "${CMAKE_BINARY_DIR}/Lampwick.lv2"
          "$<TARGET_PROPERTY:LampwickFormats,JUCE_LV2URI>")
set_tests_properties(lv2_bundle_tests PROPERTIES LABELS formats)
