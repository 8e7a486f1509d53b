# Discovered tests get their labels here: the WOW64 road test needs a 64-bit prefix.
set_tests_properties("e2e.Road.OnWow64TheProgramLivesInThe32BitViewAndFolder"
                     PROPERTIES LABELS "road;wow64")
