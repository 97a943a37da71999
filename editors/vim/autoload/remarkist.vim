" The buffer goes to `remarkist-render edit` on standard input; the answer names the lines
" to replace and the text that replaces them: {"first": 5, "last": 4, "text": "/**\n...",
" "summary": "...", "dropped": []} inserts the comment before line 5.

let s:save_cpo = &cpo
set cpo&vim

let s:languages = {'c': 'c', 'cpp': 'cpp', 'd': 'd', 'java': 'java'}

" The program's own message for an empty summary; bytes compared as they are.
let s:empty_summary = '概要は必ず記述する必要があります。'

function! remarkist#document(summary, ...) abort
  let restyle = get(a:, 1, 0)
  " 'filetype' may name several types: "cpp.doxygen" is C++.
  let filetype = get(split(&filetype, '\.'), 0, '')
  let language = get(s:languages, filetype, '')
  if language ==# ''
    return s:error(printf('filetype %s is not supported (c, cpp, d, java)',
          \ &filetype ==# '' ? '(none)' : &filetype))
  endif
  if !&modifiable
    return s:error('the buffer cannot be changed (''modifiable'' is off)')
  endif
  let program = expand(get(g:, 'remarkist_program', 'remarkist-render'))
  if !executable(program)
    return s:error(printf('cannot run %s (set g:remarkist_program)', program))
  endif

  let summary = a:summary
  let answer = s:run(program, language, summary, restyle)
  if answer.status == 1 && stridx(answer.errors, s:empty_summary) >= 0
    let summary = input('Summary: ')
    redraw
    if summary ==# ''
      echomsg 'Remarkist: no summary given, nothing changed'
      return
    endif
    let answer = s:run(program, language, summary, restyle)
  endif
  if answer.status != 0
    return s:error(answer.errors ==# '' ?
          \ printf('%s failed (exit status %d)', program, answer.status) : answer.errors)
  endif

  try
    let edit = json_decode(answer.output)
    call s:apply(edit)
  catch
    return s:error(printf('unexpected answer from %s: %s', program, answer.output))
  endtry
  for name in get(edit, 'dropped', [])
    echomsg printf('Remarkist: dropped parameter "%s": not in the declaration', name)
  endfor
endfunction

" Runs the program on the whole buffer; stderr goes to a file of its own so that the
" output holds nothing but the JSON.
function! s:run(program, language, summary, restyle) abort
  let args = [a:program, 'edit', '--line', string(line('.')), '--language', a:language]
  if a:restyle
    let args += ['--restyle']
  endif
  if get(g:, 'remarkist_settings', '') !=# ''
    let args += ['--settings', expand(g:remarkist_settings)]
  endif
  if a:summary !=# ''
    let args += ['--summary', a:summary]
  endif
  let errors = tempname()
  " A List goes to stdin one item a line; in a 'fileformat' dos buffer the lines hold no
  " CR, so the program sees LF lines and answers with LF lines, and Vim writes CR LF.
  let output = system(join(map(args, 'shellescape(v:val)')) . ' 2>' . shellescape(errors),
        \ getline(1, '$') + [''])
  let status = v:shell_error
  let messages = filereadable(errors) ? readfile(errors) : []
  call delete(errors)
  return {'status': status, 'output': output, 'errors': join(messages, "\n")}
endfunction

" One change of the buffer, so one undo step: the new lines go in below the old ones,
" then the old ones go. Lines that come back as they were change nothing: the buffer is
" not even marked modified.
function! s:apply(edit) abort
  let first = a:edit.first
  let last = a:edit.last
  " Every line of the text ends with the line ending, so the split ends with an empty item.
  let lines = split(a:edit.text, "\n", 1)[: -2]
  if empty(lines) || first < 1 || last < first - 1 || last > line('$')
    throw 'Remarkist: no such lines'
  endif
  if last < first || getline(first, last) !=# lines
    call append(last, lines)
    if last >= first
      silent execute 'keepjumps ' . first . ',' . last . 'delete _'
    endif
  endif

  for row in range(len(lines))
    let column = stridx(lines[row], a:edit.summary)
    if column >= 0
      return cursor(first + row, column + 1)
    endif
  endfor
  call cursor(first, 1)
endfunction

function! s:error(message) abort
  echohl ErrorMsg
  for line in split(a:message, "\n")
    echomsg line =~# '^remarkist-render: ' ? line : 'Remarkist: ' . line
  endfor
  echohl None
endfunction

let &cpo = s:save_cpo
unlet s:save_cpo
