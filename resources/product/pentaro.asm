; Stand-in for the product's own DOS program: prints the product's name and version
; and exits with code 0.
%include "mz.inc"

MZ_HEADER

start:
    mov ax, cs
    mov ds, ax
    mov ah, 09h
    mov dx, banner
    int 21h
    mov ax, 4C00h
    int 21h

banner db 'Pentaro 3.24', 13, 10, '$'

program_end:
