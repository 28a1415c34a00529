# SPDX-License-Identifier: MIT
# AddressSanitizer + UndefinedBehaviorSanitizer for every target, stopping
# at the first error, when FILEKIT_SANITIZE is on.
if(FILEKIT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
