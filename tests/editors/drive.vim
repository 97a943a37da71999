" One row of cases.txt in Vim or Neovim: run.sh names the file, line, summary and answer
" in the environment, and reads back what this writes into $RK_OUT.
let g:remarkist_program = $REMARKIST_RENDER
if $RK_SETTINGS !=# ''
  let g:remarkist_settings = $RK_SETTINGS
endif
execute 'edit' fnameescape($RK_FILE)
" The buffer is what counts: the file is gone by the time the command runs.
call delete($RK_FILE)
call cursor(str2nr($RK_LINE), 1)
" The prompt must take the answer and leave what follows it.
if $RK_ANSWER !=# ''
  call feedkeys(($RK_ANSWER ==# '<empty>' ? '' : $RK_ANSWER) . "\<CR>(rest)\<CR>", 't')
endif

" Each command the user types is an undo step of its own.
let &undolevels = &undolevels
if $RK_SUMMARY ==# '!'
  RemarkistDocument!
else
  execute 'RemarkistDocument' $RK_SUMMARY
endif
let &undolevels = &undolevels
call writefile([&modified ? 'modified' : 'unmodified'], $RK_OUT . '/modified')

let s:rest = $RK_ANSWER ==# '' || input('') ==# '(rest)' ? '' : 'the prompt did not take the answer'
call writefile([line('.'), s:rest], $RK_OUT . '/cursor')
call writefile(split(execute('messages'), "\n"), $RK_OUT . '/messages')
execute 'write!' fnameescape($RK_OUT . '/after')
undo
execute 'write!' fnameescape($RK_OUT . '/undone')
qall!
