# The reference codec for the side-by-side runs (benchmark only).
find_package(JPEG REQUIRED)
target_link_libraries(${name} PRIVATE JPEG::JPEG)
