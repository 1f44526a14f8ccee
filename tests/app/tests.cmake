# The update sequence's pieces that need no device: texts, progress, firmware file commands.
quil_add_test_folder(app LIBS quil_update)
