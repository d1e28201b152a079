; Vexmora tips of the day: one tip per line. A line that begins with a
; space, a tab or ";" is not a tip, so these comment lines are skipped.
; The dialog remembers where it stopped and shows the next tip next time.

Open a picture with Ctrl+O (or paste one with Ctrl+V), then press F7 again and again: each press lets the wizard choose an Xform and all its settings and makes a new image idea.
Found an idea you like? Press F8 for variations on theme: the same Xform, with new settings chosen by the wizard. F7 to explore, F8 to vary is the habit that pays.
The Left and Right arrow keys step back and forward through the ideas of a picture; every idea is kept as its recipe, so going back costs nothing.
Sequence Overview shows five thumbnails around the current idea. Double-click one to go straight to it.
F9 opens the settings of the current Xform. Untick "Wizard chooses" to set the parameters yourself; OK makes a new idea with exactly your settings and a new random seed. F8 does not keep them: it lets the wizard choose again.
F6 chooses the Xform yourself. With "Wizard chooses" ticked in that dialog, the program picks a little-used Xform for you.
Mix decides how an idea blends with the original picture: evenly, along a direction, in circles or ellipses from the centre, or by colour (Hsv). "Apply Now" remakes the current idea with the new mix and the same seed.
F11 makes a vignette: the original picture stays in the centre and the idea takes over towards the corners.
Image Quality High draws the idea at four times the size and shrinks it with anti-aliasing: smoother edges, slower generation. Draft at Normal, then choose High and "Apply Now" for the keeper.
Advanced Selection confines the Xforms to the colours you pick, for example only the sky or only a red dress. The grey preview shows what will be selected: white is chosen, black is left alone.
A generation takes too long? Press Esc or the STOP button; the sequence stays as it was.
F10 copies the current idea and opens it as a new picture of its own, so you can stack one Xform on top of another.
Ctrl+S saves the idea shown as BMP, JPG, PNG, PCX or TGA; Ctrl+C puts it on the clipboard for any other program.
Zoom with + and - (on the number pad too) or Ctrl and the mouse wheel; Ctrl+W goes back to 100 % and View, Zoom to Fit shows the whole picture. Zooming changes only the view, never the saved picture.
Ideas are made from a recipe and a random seed, so the same idea comes out the same every time, at any quality. The command-line tool vexmora-cli can make whole batches of ideas from the same recipes.
