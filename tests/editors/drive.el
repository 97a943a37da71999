;;; drive.el --- one row of cases.txt in Emacs  -*- lexical-binding: t -*-
;; run.sh names the file, line, summary and answer in the environment (the answer comes
;; on standard input) and reads back what this writes into $RK_OUT.

(require 'remarkist)

;; Emacs has no D mode of its own.
(unless (fboundp 'd-mode)
  (define-derived-mode d-mode prog-mode "D")
  (add-to-list 'auto-mode-alist '("\\.d\\'" . d-mode)))

(defun drive-write (name)
  (write-region nil nil (expand-file-name name (getenv "RK_OUT")) nil 'quiet))

(setq remarkist-program (getenv "REMARKIST_RENDER"))
(unless (equal (getenv "RK_SETTINGS") "")
  (setq remarkist-settings (getenv "RK_SETTINGS")))
(find-file (getenv "RK_FILE"))
;; The buffer is what counts: the file is gone by the time the command runs.
(delete-file (getenv "RK_FILE"))
(forward-line (1- (string-to-number (getenv "RK_LINE"))))

(undo-boundary)
(condition-case err
    (pcase (getenv "RK_SUMMARY")
      ("" (call-interactively #'remarkist-document))
      ("!" (let ((current-prefix-arg '(16))) (call-interactively #'remarkist-document)))
      (summary (remarkist-document summary)))
  (user-error (message "%s" (error-message-string err))))
(undo-boundary)

(let ((line (line-number-at-pos)))
  (with-temp-file (expand-file-name "cursor" (getenv "RK_OUT"))
    (insert (format "%d\n" line))))
(with-temp-file (expand-file-name "modified" (getenv "RK_OUT"))
  (insert (if (buffer-modified-p) "modified\n" "unmodified\n")))
(drive-write "after")
(setq last-command nil)
(condition-case nil (undo) (user-error nil))
(drive-write "undone")
