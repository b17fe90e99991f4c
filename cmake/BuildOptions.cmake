# Build settings shared by every target of the tree, other than warnings:
# how the Windows deliverables link, the Windows API level, and the
# sanitizers of the asan preset.

if(WIN32)
  # One self-contained file per deliverable: -static-libgcc and
  # -static-libstdc++ alone still import libwinpthread-1.dll, which a bare
  # server does not have.
  add_link_options(-static)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()

if(NICFW_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
