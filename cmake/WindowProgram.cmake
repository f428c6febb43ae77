# A window program: its window code in a library, so that the window tests drive the
# window without a process, and the program itself, which is main.cpp alone.
function(chromix_add_window_program program)
  cmake_parse_arguments(ARG "" "LIBRARY" "SOURCES;LIBS" ${ARGN})
  add_library(${ARG_LIBRARY} STATIC ${ARG_SOURCES})
  target_include_directories(${ARG_LIBRARY} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${ARG_LIBRARY} PUBLIC ${ARG_LIBS} chromix_uikit Qt6::Widgets)
  add_executable(${program} main.cpp)
  target_link_libraries(${program} PRIVATE ${ARG_LIBRARY})
  # A dialog program on Windows: no console window beside it.
  set_target_properties(${program} PROPERTIES WIN32_EXECUTABLE ON)
endfunction()
