# The compiler warnings of every target of the tree; the build keeps them
# clean on g++, clang and mingw-w64 g++.
add_compile_options(-Wall -Wextra)
