# Whole updates against the simulated device. The sequence's fixed waits are real (the device's
# restart time, the pauses between reconnections), so each case takes a few seconds.
quil_add_test_folder(e2e LIBS quil_update TIMEOUT 180)
