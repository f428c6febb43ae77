# chromix.exe download through the fake FTCSPI.dll, loaded by its bare name from beside the
# program as the real library is, on a fresh demo installation in WORK_DIR:
# - the flash ends up holding exactly the image that chromix.exe image builds;
# - unless SMOKE: chromix.exe adapters --probe lists the adapter in both families and its
#   device check passes; a failing erase ends with its message and the run's failure; and
#   without the library the program still runs and says "No device connection" and what
#   is missing.
# The flash of the successful run stays in WORK_DIR/ftcspi_flash.bin for comparison with a
# Linux download.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/program)
file(COPY_FILE ${CHROMIX} ${WORK_DIR}/program/chromix.exe)
file(COPY_FILE ${FAKE_FTCSPI} ${WORK_DIR}/program/FTCSPI.dll)
set(demo ${WORK_DIR}/demo)
set(ENV{CHROMIX_REGISTRY} ${demo}/registry.reg)
set(ENV{CHROMIX_SPI_ADAPTER} ftdi)
set(ENV{WINEDEBUG} -all)
set(selection --table-set "Velvane Orlam LED Projector\\Cinema" --3d-tables --calibration-values)

# Runs chromix.exe; `expected` is its exit status.
function(run_chromix expected)
  execute_process(COMMAND ${EMULATOR} ${WORK_DIR}/program/chromix.exe ${ARGN}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 300)
  if(NOT result EQUAL expected)
    message(FATAL_ERROR "chromix ${ARGN}: exit ${result}, not ${expected}\n${output}${errors}")
  endif()
  set(output "${output}" PARENT_SCOPE)
  set(errors "${errors}" PARENT_SCOPE)
endfunction()

function(expect_text text in)
  string(FIND "${in}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected \"${text}\" in:\n${in}")
  endif()
endfunction()

run_chromix(0 demo-install ${demo})
run_chromix(0 image ${selection} -o ${WORK_DIR}/expected.bin)

set(ENV{CHROMIX_FAKE_FTCSPI_IMAGE} ${WORK_DIR}/ftcspi_flash.bin)
run_chromix(0 download ${selection})
expect_text("Adapter: FTDI USB-to-SPI adapter through FTCSPI.dll\nSimulated Chromix Processor\n" "${output}")
expect_text("\nFlash download completed successfully\n" "${output}")
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/expected.bin ${WORK_DIR}/ftcspi_flash.bin
  RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "the flash written through FTCSPI.dll differs from chromix image's")
endif()
if(SMOKE)
  return()
endif()

run_chromix(0 adapters --probe)
expect_text("channel family: \"Simulated Chromix Processor\", channel A, location 8465\nplain family: \"Simulated Chromix Processor\", location 8466\nDevice check: Simulated Chromix Processor (the processor's flash answers: ready for a download)\n"
  "${output}")

set(ENV{CHROMIX_FAKE_FTCSPI_IMAGE} ${WORK_DIR}/failing_flash.bin)
set(ENV{CHROMIX_FAKE_FTCSPI_FAIL} erase:1)
run_chromix(1 download ${selection})
expect_text("Flash download completed unsuccessfully for 3D Color Tables\nFlash download completed unsuccessfully\n"
  "${errors}")
expect_text("Flash Erase Fail for 3D Color Tables" "${errors}")
unset(ENV{CHROMIX_FAKE_FTCSPI_FAIL})

file(REMOVE ${WORK_DIR}/program/FTCSPI.dll)
run_chromix(1 download ${selection})
expect_text("No device connection\nFTCSPI.dll could not be loaded (Windows error 126): install FTDI's FTCSPI.dll beside the program ("
  "${errors}")
