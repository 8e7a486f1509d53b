# The link tests need the Unix-side fixture; discovered tests get the requirement here.
set_tests_properties("win.RemoveFolderTreeTest.LeavesLinkTargetIntact"
                     "win.FolderGuardTest.RefusesProtectedFoldersAndTheirParentsHoweverSpelled"
                     PROPERTIES FIXTURES_REQUIRED links)
