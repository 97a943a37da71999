" Remarkist: documentation comments written by remarkist-render, in Vim and Neovim.
" :RemarkistDocument [summary] writes or updates the comment of the declaration at or
" below the cursor. See :help remarkist.

if exists('g:loaded_remarkist')
  finish
endif
let g:loaded_remarkist = 1

command! -nargs=* RemarkistDocument call remarkist#document(<q-args>)
