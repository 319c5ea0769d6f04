# Warnings are errors on every compiler and target.
add_library(hb_warnings INTERFACE)
target_compile_options(hb_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wnon-virtual-dtor
  -Wold-style-cast -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough -Werror)

set(HB_SANITIZE "" CACHE STRING "Sanitizers for the native build (address,undefined or thread)")
if(HB_SANITIZE)
  add_compile_options(-fsanitize=${HB_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${HB_SANITIZE})
endif()
