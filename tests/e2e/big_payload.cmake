# Writes the large test payload: the demo payload's ten files, with the help
# file replaced by 1.3 MB of seeded random letters and digits (a package of
# about 1 MB), the same on every build. The demo payload folder holds the
# ten member files and nothing else.
#   cmake -DSOURCE=<demo payload folder> -DTARGET=<folder> -P big_payload.cmake
file(GLOB members RELATIVE ${SOURCE} ${SOURCE}/*)
file(MAKE_DIRECTORY ${TARGET})
foreach(m IN LISTS members)
  file(COPY_FILE ${SOURCE}/${m} ${TARGET}/${m} ONLY_IF_DIFFERENT)
endforeach()
string(RANDOM LENGTH 1300000 RANDOM_SEED 5821 text)
file(WRITE ${TARGET}/vorn.hlp "${text}")
