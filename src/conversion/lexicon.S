// The lexicon's table, made at build time, as read-only data of the program.
        .section .rodata.lumeta_lexicon,"a",@progbits
        .balign 16
        .globl lumeta_lexicon
        .type lumeta_lexicon, @object
lumeta_lexicon:
        .incbin "lexicon.bin"
        .globl lumeta_lexicon_end
lumeta_lexicon_end:
        .size lumeta_lexicon, lumeta_lexicon_end - lumeta_lexicon
        .section .note.GNU-stack,"",@progbits
