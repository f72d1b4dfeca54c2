# Compiler settings shared by every target of the project.
add_library(qv_options INTERFACE)
target_compile_options(qv_options INTERFACE -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
if(QV_WIN)
  # GetProcAddress results are cast to their real types by design.
  target_compile_options(qv_options INTERFACE -Wno-cast-function-type)
  target_compile_definitions(qv_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
else()
  if(QV_SANITIZE AND NOT QV_FUZZ)
    target_compile_options(qv_options INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(qv_options INTERFACE -fsanitize=address,undefined)
  endif()
endif()
if(QV_FUZZ)
  target_compile_options(qv_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(qv_options INTERFACE -fsanitize=address,undefined)
endif()

# Flavours of the program code: UTF-16 interfaces (Quivelta) and the ANSI code
# page (Quivelta98).
add_library(qv_unicode INTERFACE)
target_compile_definitions(qv_unicode INTERFACE UNICODE _UNICODE)
add_library(qv_ansi INTERFACE)
target_compile_definitions(qv_ansi INTERFACE QV_ANSI _MBCS)
