# giflib, the reference decoder, linked into the GIF benchmark only.
find_library(GIF_LIB gif)
if(GIF_LIB)
  target_link_libraries(${name} PRIVATE ${GIF_LIB})
else()
  message(STATUS "giflib not found; gif_bench compares nothing")
endif()
