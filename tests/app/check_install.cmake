# Installs the application shell into a scratch prefix (with a blank in its
# name) twice and checks what a desktop needs. Run with -DBUILD_DIR=<build>/src/app
# -DPREFIX=<scratch folder>.

file(REMOVE_RECURSE "${PREFIX}")

function(install_into prefix)
  execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}"
                  RESULT_VARIABLE result OUTPUT_QUIET)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
  endif()
endfunction()

function(expect_file path)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endfunction()

install_into("${PREFIX}")
expect_file("${PREFIX}/bin/Sheetwright")
foreach(size 16 32 48 128 256)
  expect_file("${PREFIX}/share/icons/hicolor/${size}x${size}/apps/sheetwright.png")
endforeach()

set(entry "${PREFIX}/share/applications/sheetwright.desktop")
expect_file("${entry}")
file(STRINGS "${entry}" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=\"${PREFIX}/bin/Sheetwright\"")
  message(FATAL_ERROR "desktop entry starts '${exec}'")
endif()

# The program makes its settings file itself; a second install keeps the user's.
set(settings "${PREFIX}/bin/Sheetwright.orv")
if(EXISTS "${settings}")
  message(FATAL_ERROR "an install wrote a settings file")
endif()
file(WRITE "${settings}" "SourcePath=/data/")
install_into("${PREFIX}")
file(READ "${settings}" kept)
if(NOT kept STREQUAL "SourcePath=/data/")
  message(FATAL_ERROR "reinstall replaced the settings file: [${kept}]")
endif()
file(REMOVE_RECURSE "${PREFIX}")
