# The warnings every target of ours compiles with, as one target that each links. CI's
# presets turn them into errors (CHROMIX_WERROR), so a warning never lands.
option(CHROMIX_WERROR "Treat warnings as errors" OFF)
option(CHROMIX_GLIBCXX_ASSERTIONS "Check standard library preconditions (bounds and the like) at run time" OFF)

add_library(chromix_warnings INTERFACE)
if(MSVC)
  # Building the windows on Windows with Visual C++: its own names for the same strictness.
  target_compile_options(chromix_warnings INTERFACE /W4 /permissive- /utf-8 $<$<BOOL:${CHROMIX_WERROR}>:/WX>)
else()
  target_compile_options(chromix_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
    -Wnon-virtual-dtor -Woverloaded-virtual
    $<$<BOOL:${CHROMIX_WERROR}>:-Werror>)
endif()
target_compile_definitions(chromix_warnings INTERFACE $<$<BOOL:${CHROMIX_GLIBCXX_ASSERTIONS}>:_GLIBCXX_ASSERTIONS>)
