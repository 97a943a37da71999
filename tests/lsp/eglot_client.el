;;; eglot_client.el --- eglot on $RK_FILE  -*- lexical-binding: t -*-
;; editor_test.py reads what this writes to $RK_OUT.

(require 'eglot)
(require 'cl-lib)

(defvar failures nil)
(defun out (name) (expand-file-name name (getenv "RK_OUT")))
(defun wait (what done)
  (let ((deadline (+ (float-time) 20)))
    (while (and (not (funcall done)) (< (float-time) deadline))
      (accept-process-output nil 0.02))
    (unless (funcall done) (push (concat "no " what) failures))))
(defun act (line kind)
  (goto-char (point-min))
  (forward-line (1- line))
  (let ((tick (buffer-chars-modified-tick)))
    ;; With a kind and one action of it, eglot applies it without asking.
    (eglot-code-actions (point) nil kind t)
    (wait (concat kind " applied") (lambda () (/= tick (buffer-chars-modified-tick))))))

;; The README's configuration, with the server built here.
(with-eval-after-load 'eglot
  (add-to-list 'eglot-server-programs
               `((c-mode c++-mode d-mode java-mode) . (,(getenv "REMARKIST_LSP")))))
(add-hook 'c-mode-common-hook #'eglot-ensure)
(find-file (getenv "RK_FILE"))
;; eglot-ensure connects after the command that opened the file.
(run-hooks 'post-command-hook)

(wait "diagnostics" #'flymake-diagnostics)
(let ((seen (mapconcat
             (lambda (d)
               (format "%s %d %s\n"
                       (plist-get (cdr (assoc 'eglot-lsp-diag (flymake-diagnostic-data d))) :code)
                       (line-number-at-pos (flymake-diagnostic-beg d))
                       (if (eq (flymake-diagnostic-type d) 'eglot-warning) "warning"
                         (flymake-diagnostic-type d))))
             (flymake-diagnostics) "")))
  (with-temp-file (out "diagnostics") (insert seen)))

(act (string-to-number (getenv "RK_STALE")) "quickfix")
;; Batch mode is never idle, so the change that eglot sends when the user pauses is sent here.
(eglot--signal-textDocument/didChange)
(wait "diagnostics cleared by the fix" (lambda () (null (flymake-diagnostics))))
(act (string-to-number (getenv "RK_NEW")) "refactor.rewrite")

(write-region nil nil (out "after"))
(with-temp-file (out "failures") (insert (mapconcat #'identity failures "\n")))
(eglot-shutdown (eglot-current-server))
