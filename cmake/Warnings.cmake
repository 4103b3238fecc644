# Every target of the project gets the same warning set; CI turns them into errors.
function(quillon_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(QUILLON_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
