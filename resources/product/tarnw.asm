; Stand-in for the product's DOS launcher, the program that DOSBox starts.
;
; Run as "tarnw.exe /ns", it creates RAN.TXT in the current directory holding its
; command tail exactly as DOS passes it in the PSP: the bytes after the program name
; up to, not including, the closing CR. DOS keeps the blank before the first
; argument, so "tarnw.exe /ns" gives the four bytes " /ns". Exit code 0 on success,
; 1 (with a message) when RAN.TXT cannot be written.
%include "mz.inc"

MZ_HEADER

start:
    mov bx, ds                  ; DOS enters with DS = ES = the PSP's segment
    mov ax, cs
    mov ds, ax

    mov ah, 3Ch                 ; create or truncate RAN.TXT
    xor cx, cx                  ; normal attributes
    mov dx, out_name
    int 21h
    jc failed
    mov si, ax                  ; file handle

    mov ds, bx                  ; the command tail lives in the PSP
    xor ch, ch
    mov cl, [80h]               ; its length, without the closing CR
    mov dx, 81h
    mov bx, si
    mov ah, 40h
    int 21h
    mov di, ax                  ; bytes written, or the error code
    mov ax, cs                  ; (MOV leaves the carry flag alone)
    mov ds, ax
    jc failed
    cmp di, cx
    jne failed

    mov ah, 3Eh
    mov bx, si
    int 21h
    jc failed

    mov ax, 4C00h
    int 21h

failed:
    mov ah, 09h
    mov dx, failed_text
    int 21h
    mov ax, 4C01h
    int 21h

out_name    db 'RAN.TXT', 0
failed_text db 'tarnw: cannot write RAN.TXT', 13, 10, '$'

program_end:
