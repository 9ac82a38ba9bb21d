# Corrects what the toolkit's generator writes into the LV2 bundle's description, so that the
# validators (lv2_validate) find no error in it:
# - the plug-in is also a doap:Project, the class that doap:maintainer and doap:release describe;
# - the maker's contact is a mailto: address rather than a bare, relative one;
# - the UI lists ui:noUserResize as an optional feature only, and opts:interface as extension
#   data only (the generator lists each as both).
#   cmake -DBUNDLE=DIR -DURI=URI -P CorrectLv2Description.cmake
file(READ "${BUNDLE}/dsp.ttl" dsp)
string(REGEX REPLACE "foaf:mbox <([^:>]+@[^>]+)>" "foaf:mbox <mailto:\\1>" dsp "${dsp}")
if(NOT dsp MATCHES "doap:Project")
  string(APPEND dsp "\n<${URI}> a doap:Project .\n")
endif()
file(WRITE "${BUNDLE}/dsp.ttl" "${dsp}")

file(READ "${BUNDLE}/ui.ttl" ui)
string(REGEX REPLACE "(lv2:extensionData[^;]*)\t\tui:noUserResize ,\n" "\\1" ui "${ui}")
string(REGEX REPLACE "(lv2:optionalFeature[^;]*)\t\topts:interface ,\n" "\\1" ui "${ui}")
file(WRITE "${BUNDLE}/ui.ttl" "${ui}")
