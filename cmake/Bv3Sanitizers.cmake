# Sanitizers are switched on for the whole tree at once: mixing instrumented and
# plain objects hides exactly the faults we build the sanitized run to find.
function(bv3_enable_sanitizers)
  if(BV3_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
endfunction()
