# One place for the warning set, so every target builds clean with the same flags.
function(bv3_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()
