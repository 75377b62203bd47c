# One place for the warning flags every target of ours compiles with.
add_library(qor_warnings INTERFACE)
target_compile_options(qor_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
if(QOR_WERROR)
    target_compile_options(qor_warnings INTERFACE -Werror)
endif()
