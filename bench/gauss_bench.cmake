# References of the Gaussian filter benchmark: libvips (gaussblur) and
# ImageMagick's core library (blur, unsharp mask), from Debian's development
# packages, used here only. The edit threads come from the native tests'
# standard-thread runner.
find_package(PkgConfig REQUIRED)
pkg_check_modules(QV_VIPS REQUIRED IMPORTED_TARGET vips)
pkg_check_modules(QV_MAGICKCORE REQUIRED IMPORTED_TARGET MagickCore)
target_link_libraries(${name} PRIVATE PkgConfig::QV_VIPS PkgConfig::QV_MAGICKCORE)
target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/native)
# ImageMagick reads its resource limits from this folder (see main()).
target_compile_definitions(${name} PRIVATE QV_MAGICK_POLICY_DIR="${CMAKE_CURRENT_SOURCE_DIR}/resample_magick")
