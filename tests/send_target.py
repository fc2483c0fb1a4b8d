"""A text field of another toolkit (Tk) for the 送る test: it writes all it holds, as UTF-8, to
the file named by its argument after every key release, replacing the file whole.

Usage: /usr/bin/python3 send_target.py OUTPUT
"""
import os
import sys
import tkinter

output = sys.argv[1]
root = tkinter.Tk()
root.title("send-target")
root.geometry("300x120+700+600")
field = tkinter.Text(root, width=30, height=5)
field.pack()
field.focus_set()


def save(_event=None):
    with open(output + ".new", "w", encoding="utf-8", newline="") as f:
        f.write(field.get("1.0", "end-1c"))
    os.replace(output + ".new", output)


field.bind("<KeyRelease>", save)
save()
root.mainloop()
