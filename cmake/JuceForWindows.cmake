# Debian's JUCE 7.0.5 for a Windows target, and the static image libraries it needs there. JUCE 8
# refuses MinGW: on Debian 13, scripts/build-windows fetches Debian 12's 7.0.5 and names its package
# folder here.
#
# find_package refuses a 32-bit target (the package's version file was generated for 64 bit), so
# the package's JUCEConfig.cmake is included directly.

set(SWITCHYARD_JUCE_PACKAGE_DIR /usr/lib/x86_64-linux-gnu/cmake/JUCE-7.0.5
    CACHE PATH "Debian's JUCE 7.0.5 CMake package folder")
set(SWITCHYARD_WINDOWS_DEPS "${PROJECT_SOURCE_DIR}/build-deps/${CMAKE_SYSTEM_PROCESSOR}"
    CACHE PATH "Static libpng and libjpeg for this target (scripts/build-windows-deps)")

if(NOT EXISTS "${SWITCHYARD_JUCE_PACKAGE_DIR}/JUCEConfig.cmake")
  message(FATAL_ERROR "No JUCE 7.0.5 package in ${SWITCHYARD_JUCE_PACKAGE_DIR}: build with scripts/build-windows")
endif()
file(READ "${SWITCHYARD_JUCE_PACKAGE_DIR}/JUCEConfig.cmake" config)
string(REGEX MATCH "set\\(JUCE_MODULES_DIR \"([^\"]+)\"" found "${config}")
set(debian_modules "${CMAKE_MATCH_1}")

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  include("${SWITCHYARD_JUCE_PACKAGE_DIR}/JUCEConfig.cmake")
else()
  # On 32-bit mingw, JUCE's COM smart pointer switches to a type-only __uuidof emulation that
  # mingw-w64's IID_PPV_ARGS does not compile with. A copy of the modules with that one condition
  # removed takes the 64-bit path, which mingw-w64's own __uuidof serves on both.
  set(modules "${CMAKE_BINARY_DIR}/juce-modules")
  set(header "${modules}/juce_core/native/juce_win32_ComSmartPtr.h")

  if(NOT EXISTS "${header}")
    file(COPY "${debian_modules}/" DESTINATION "${modules}")
    file(READ "${header}" text)
    string(REPLACE "#if (JUCE_MINGW && JUCE_32BIT) || (! defined (_MSC_VER)"
                   "#if (! defined (_MSC_VER)" changed "${text}")
    if(changed STREQUAL text)
      message(FATAL_ERROR "JUCE's ${header} no longer has the condition this build changes")
    endif()
    file(WRITE "${header}" "${changed}")
  endif()

  # The package's configuration, pointed at the copy.
  string(REPLACE "\${CMAKE_CURRENT_LIST_DIR}" "${SWITCHYARD_JUCE_PACKAGE_DIR}" config "${config}")
  string(REPLACE "${debian_modules}" "${modules}" config "${config}")
  file(WRITE "${CMAKE_BINARY_DIR}/juce-package/JUCEConfig.cmake" "${config}")
  include("${CMAKE_BINARY_DIR}/juce-package/JUCEConfig.cmake")
endif()

if(NOT EXISTS "${SWITCHYARD_WINDOWS_DEPS}/.built")
  message(FATAL_ERROR "No image libraries in ${SWITCHYARD_WINDOWS_DEPS}: run scripts/build-windows-deps")
endif()

# What Debian's Linux build gets from pkg-config: libpng (with mingw-w64's zlib) and libjpeg.
add_library(switchyard_windows_image_libs INTERFACE)
target_include_directories(switchyard_windows_image_libs SYSTEM INTERFACE
  "${SWITCHYARD_WINDOWS_DEPS}/include")
target_link_libraries(switchyard_windows_image_libs INTERFACE
  "${SWITCHYARD_WINDOWS_DEPS}/lib/libpng16.a"
  "${SWITCHYARD_WINDOWS_DEPS}/lib/libjpeg.a"
  "${CMAKE_FIND_ROOT_PATH}/lib/libz.a")
