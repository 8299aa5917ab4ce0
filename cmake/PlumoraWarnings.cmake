# Warnings for the project's own targets (never for third-party code).
add_library(plumora_warnings INTERFACE)
target_compile_options(plumora_warnings INTERFACE -Wall -Wextra)
if(PLUMORA_WERROR)
  target_compile_options(plumora_warnings INTERFACE -Werror)
endif()
