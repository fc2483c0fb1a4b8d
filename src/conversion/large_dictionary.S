// The large dictionary's table, made at build time, as read-only data of the program.
        .section .rodata.lumeta_large_dictionary,"a",@progbits
        .balign 16
        .globl lumeta_large_dictionary
        .type lumeta_large_dictionary, @object
lumeta_large_dictionary:
        .incbin "large_dictionary.bin"
        .globl lumeta_large_dictionary_end
lumeta_large_dictionary_end:
        .size lumeta_large_dictionary, lumeta_large_dictionary_end - lumeta_large_dictionary
        .section .note.GNU-stack,"",@progbits
