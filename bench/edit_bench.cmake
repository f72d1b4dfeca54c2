# Reference of the editing benchmark: ImageMagick's core library from
# Debian's development package, used here only, with the resampling
# benchmark's resource policy so a 24-megapixel picture and its result stay in
# memory.
find_package(PkgConfig REQUIRED)
pkg_check_modules(QV_MAGICKCORE REQUIRED IMPORTED_TARGET MagickCore)
target_link_libraries(${name} PRIVATE PkgConfig::QV_MAGICKCORE)
target_compile_definitions(${name} PRIVATE QV_MAGICK_POLICY_DIR="${CMAKE_CURRENT_SOURCE_DIR}/resample_magick")
