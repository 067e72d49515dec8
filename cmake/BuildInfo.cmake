# Writes dawnbell_build.h; run by the build at every build (cmake -P), so the date is the day of the build, not
# of the last configure. configure_file leaves the header untouched while nothing in it changed, so only a new day
# recompiles what includes it.
#
# Input variables: OUTPUT, TEMPLATE, DAWNBELL_APP_ID, DAWNBELL_VERSION, DAWNBELL_WEB_BASE.

# With SOURCE_DATE_EPOCH set (reproducible builds), string(TIMESTAMP) uses it instead of the clock; the date is
# then read in UTC so that every builder gets the same day.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(zone UTC)
else()
  set(zone "")
endif()
string(TIMESTAMP weekday "%A" ${zone})
string(TIMESTAMP month "%B" ${zone})
string(TIMESTAMP day "%d" ${zone})
string(TIMESTAMP year "%Y" ${zone})
# The day of the month without a leading zero: "December 6", as people write it.
string(REGEX REPLACE "^0" "" day "${day}")
set(DAWNBELL_BUILD_DATE "${weekday}, ${month} ${day}, ${year}")

# The address goes into a C string literal.
string(REPLACE "\\" "\\\\" DAWNBELL_WEB_BASE "${DAWNBELL_WEB_BASE}")
string(REPLACE "\"" "\\\"" DAWNBELL_WEB_BASE "${DAWNBELL_WEB_BASE}")

configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
