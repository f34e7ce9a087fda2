# Writes the large test payload: the demo payload's ten files, with the help
# file replaced by 1.3 MB of seeded random letters and digits (a package of
# about 1 MB), the same on every build.
#   cmake -DSOURCE=<demo payload folder> -DTARGET=<folder> -P big_payload.cmake
set(members vorn32.exe ircintro.hlp readme.txt versions.txt vorn.ini aliases.ini
  popups.ini servers.ini urls.ini)
file(MAKE_DIRECTORY ${TARGET})
foreach(m IN LISTS members)
  file(COPY_FILE ${SOURCE}/${m} ${TARGET}/${m} ONLY_IF_DIFFERENT)
endforeach()
string(RANDOM LENGTH 1300000 RANDOM_SEED 5821 text)
file(WRITE ${TARGET}/vorn.hlp "${text}")
