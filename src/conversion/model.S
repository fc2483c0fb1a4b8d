// The word trigram model's table, made at build time, as read-only data of the program.
        .section .rodata.lumeta_model,"a",@progbits
        .balign 16
        .globl lumeta_model
        .type lumeta_model, @object
lumeta_model:
        .incbin "model.bin"
        .globl lumeta_model_end
lumeta_model_end:
        .size lumeta_model, lumeta_model_end - lumeta_model
        .section .note.GNU-stack,"",@progbits
