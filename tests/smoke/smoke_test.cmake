# Runs chromix (under EMULATOR when set) on a fresh demo installation in WORK_DIR: the demo,
# the store, a linearity and a primary calibration and a flash image must all succeed.
file(REMOVE_RECURSE ${WORK_DIR})
set(demo ${WORK_DIR}/demo)
set(ENV{CHROMIX_REGISTRY} ${demo}/registry.reg)

function(run_chromix)
  execute_process(COMMAND ${EMULATOR} ${CHROMIX} ${ARGN}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 120)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "chromix ${ARGN}: exit ${result}\n${output}${errors}")
  endif()
endfunction()

run_chromix(demo-install ${demo})
run_chromix(store show)
run_chromix(linearity --data ${demo}/samples/linearity_data.txt --save)
run_chromix(primary --data ${demo}/samples/primary_data.txt --save)
run_chromix(image --table-set "Velvane Orlam LED Projector\\Cinema" --3d-tables --calibration-values
  --primary new --linearity new -o ${WORK_DIR}/image.bin)
foreach(file calibration/current_matrix.txt calibration/current_2nd_1d_red.txt Diagnostics/measured_primaries.txt)
  if(NOT EXISTS ${demo}/${file})
    message(FATAL_ERROR "chromix wrote no ${file}")
  endif()
endforeach()
file(SIZE ${WORK_DIR}/image.bin image_size)
if(NOT image_size EQUAL 8388608)
  message(FATAL_ERROR "the flash image holds ${image_size} bytes, not 8 MiB")
endif()
