# The reference library, for the side-by-side runs only.
find_package(PNG REQUIRED)
target_link_libraries(${name} PRIVATE PNG::PNG)
