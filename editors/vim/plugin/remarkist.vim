" Remarkist: documentation comments written by remarkist-render, in Vim and Neovim.
" :RemarkistDocument [summary] writes or updates the comment of the declaration at or
" below the cursor; with ! it writes the comment anew in the settings' style. See
" :help remarkist.

if exists('g:loaded_remarkist')
  finish
endif
let g:loaded_remarkist = 1

command! -nargs=* -bang RemarkistDocument call remarkist#document(<q-args>, <bang>0)
