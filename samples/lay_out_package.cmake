# Lays out the sample package: the fixture folders, an empty folder git cannot hold, and the
# built setup.exe at the top and inside "Quillon" (the uninstall command runs that copy).
# Inputs: SOURCE, DEST, SETUP_EXE.
file(REMOVE_RECURSE ${DEST})
file(COPY ${SOURCE}/ DESTINATION ${DEST})
file(MAKE_DIRECTORY ${DEST}/Quillon/examples)
file(COPY ${SETUP_EXE} DESTINATION ${DEST})
file(COPY ${SETUP_EXE} DESTINATION ${DEST}/Quillon)
