;;; remarkist.el --- Documentation comments written by remarkist-render  -*- lexical-binding: t -*-

;; Version: 0.1
;; Package-Requires: ((emacs "28.1"))
;; Keywords: c, languages, docs

;;; Commentary:

;; `remarkist-document' writes the documentation comment of the declaration at
;; or below point, or updates the comment it already has: the parameters follow
;; the declaration, the descriptions stay.  The buffer goes to
;; `remarkist-render edit' on standard input; the answer names the lines to
;; replace and the text that replaces them.
;;
;;   (require 'remarkist)
;;   (with-eval-after-load 'cc-mode
;;     (define-key c-mode-base-map (kbd "C-c d") #'remarkist-document))

;;; Code:

(require 'seq)
(require 'subr-x)

(defgroup remarkist nil
  "Documentation comments written by Remarkist."
  :group 'tools
  :prefix "remarkist-")

(defcustom remarkist-program "remarkist-render"
  "The remarkist-render program: a name found on `exec-path', or a file name."
  :type 'string)

(defcustom remarkist-settings nil
  "A setting.dat for the comments, or nil for the program's own.
The program's own is setting.dat in the current directory when there
is one, else the one under ~/.config/remarkist."
  :type '(choice (const :tag "The program's own" nil) file))

(defconst remarkist--languages
  '(("cpp" c++-mode c++-ts-mode)
    ("c" c-mode c-ts-mode)
    ("d" d-mode d-ts-mode)
    ("java" java-mode java-ts-mode))
  "The languages of `remarkist-render edit' and the major modes of each.")

(defconst remarkist--empty-summary "概要は必ず記述する必要があります。"
  "The program's own message for an empty summary.")

(defun remarkist--language ()
  "The language of the current buffer's major mode, or a `user-error'."
  (or (car (seq-find (lambda (entry) (apply #'derived-mode-p (cdr entry)))
                     remarkist--languages))
      (user-error "Remarkist: %s is not supported (C, C++, D and Java modes)"
                  major-mode)))

(defun remarkist--run (language summary restyle)
  "Run `remarkist-program' on the whole buffer for LANGUAGE and SUMMARY.
With RESTYLE the comment is written anew in the settings' style.
Return (STATUS OUTPUT ERRORS).  The text goes as UTF-8 with LF: a
buffer read from a CR LF file holds no CR, and gets LF lines back."
  (let ((errors (make-temp-file "remarkist"))
        (output (generate-new-buffer " *remarkist-output*" t))
        (coding-system-for-write 'utf-8-unix)
        (coding-system-for-read 'utf-8-unix)
        (args (append (list "edit" "--line" (number-to-string (line-number-at-pos nil t))
                            "--language" language)
                      (and remarkist-settings
                           (list "--settings" (expand-file-name remarkist-settings)))
                      (and summary (list "--summary" summary))
                      (and restyle (list "--restyle")))))
    (unwind-protect
        (let ((status (condition-case nil
                          (save-restriction
                            (widen)
                            (apply #'call-process-region (point-min) (point-max)
                                   remarkist-program nil (list output errors) nil args))
                        (file-missing
                         (user-error "Remarkist: cannot run %s (set `remarkist-program')"
                                     remarkist-program)))))
          (list status
                (with-current-buffer output (buffer-string))
                (with-temp-buffer
                  (insert-file-contents errors)
                  (string-trim (buffer-string)))))
      (kill-buffer output)
      (delete-file errors))))

(defun remarkist--apply (edit)
  "Replace the lines that EDIT names with its text, as one undo step.
EDIT is the program's answer: first and last line, text, summary.
Point ends on the summary."
  (let-alist edit
    (save-restriction
      (widen)
      (unless (and (integerp .first) (integerp .last) (stringp .text) (stringp .summary)
                   (<= 1 .first) (<= (1- .first) .last (count-lines (point-min) (point-max))))
        (user-error "Remarkist: unexpected lines %s to %s from %s" .first .last remarkist-program))
      (let ((group (prepare-change-group))
            (done nil))
        (unwind-protect
            (progn
              (activate-change-group group)
              (goto-char (point-min))
              (forward-line (1- .first))
              ;; Lines that come back as they were change nothing, not even the
              ;; buffer's modified flag.
              (let ((end (line-beginning-position (- (+ .last 2) .first))))
                (unless (string= (buffer-substring-no-properties (point) end) .text)
                  (delete-region (point) end)
                  (insert .text)))
              (undo-amalgamate-change-group group)
              (setq done t))
          (if done (accept-change-group group) (cancel-change-group group))))
      (goto-char (point-min))
      (forward-line (+ .first -1 (or (seq-position (split-string .text "\n") .summary
                                                   (lambda (line summary) (string-search summary line)))
                                     0)))
      (when (search-forward .summary (line-end-position) t)
        (goto-char (match-beginning 0))))))

;;;###autoload
(defun remarkist-document (&optional summary restyle)
  "Write or update the documentation comment of the declaration at or below point.
An existing comment changes only where the declaration did: renamed,
new and removed parameters.  Those it no longer has are dropped and
named in a message.  With \\[universal-argument], or with SUMMARY, the comment
gets that summary and is written anew in the settings' style; with two,
or with RESTYLE, it is written anew keeping its summary.  A new comment
without a summary asks for one."
  (interactive (list (and current-prefix-arg (not (equal current-prefix-arg '(16)))
                          (read-string "Summary: "))
                     (equal current-prefix-arg '(16))))
  (barf-if-buffer-read-only)
  (when (equal summary "")
    (setq summary nil))
  (let* ((language (remarkist--language))
         (answer (remarkist--run language summary restyle)))
    (when (and (eql (nth 0 answer) 1) (string-search remarkist--empty-summary (nth 2 answer)))
      (setq summary (read-string "Summary: "))
      (when (equal summary "")
        (user-error "Remarkist: no summary given, nothing changed"))
      (setq answer (remarkist--run language summary restyle)))
    (unless (eql (nth 0 answer) 0)
      (user-error "%s" (if (equal (nth 2 answer) "")
                           (format "Remarkist: %s failed (%s)" remarkist-program (nth 0 answer))
                         (nth 2 answer))))
    (let ((edit (condition-case nil
                    (json-parse-string (nth 1 answer) :object-type 'alist :array-type 'list)
                  (json-error
                   (user-error "Remarkist: unexpected answer from %s: %s"
                               remarkist-program (nth 1 answer))))))
      (remarkist--apply edit)
      (when-let ((dropped (alist-get 'dropped edit)))
        (message "Remarkist: %s"
                 (mapconcat (lambda (name)
                              (format "dropped parameter \"%s\": not in the declaration" name))
                            dropped "; "))))))

(provide 'remarkist)

;;; remarkist.el ends here
