# bv3 edit, reorder and duplicates from the command line: operations applied in order, the
# refusals (exit 1, nothing written), the dry run, and the kinds of file in and out.
# file(READ) gives the lines without their CR, so the patterns below end lines in LF alone, and
# a list written back gets its CR LF again.
include(${CMAKE_CURRENT_LIST_DIR}/bv3_script_support.cmake)

# Operations in the order given: a rename, a move of a range, a delete by row, a provider
# change, a favourite, and the renumbering of the moved list.
run(0 edit ${SAMPLE} ${WORK}/edited.qnf --model 4 --rename 1=Lumen\ Zwei --move 40-41:3 --delete 7
    --set-provider 9=2 --fav-add 0:0:7 --renumber video)
expect("${last_output}" "wrote [^\n]*edited.qnf: 6 operations")
file(READ ${WORK}/edited.qnf edited)
expect("${edited}" "\tLumen Zwei\t2\n")
expect("${edited}" "\tLumen News\t3\nV\t10140\t[^\r]*\tOrbis Retro\t4\nV\t10141\t[^\r]*\tVantage Auto\t5\n")
# The favourites follow their services: "Orbis Kids" (5) is 7 now that two services stand
# before it, and the added 7 follows its service to 8.
expect("${edited}" "0\t0\t1\n0\t0\t2\n0\t0\t7\n0\t0\t13\n0\t0\t21\n0\t0\t8\n")
# After the move, row 7 is "Orbis Sport"; after the delete, row 9 is "Vantage Docs".
if(edited MATCHES "Orbis Sport")
  message(FATAL_ERROR "row 7 was not deleted")
endif()
expect("${edited}" "\t8\t2\tVantage Docs\t")

# The dry run writes nothing and shows the findings and the changed lines.
run(0 edit ${SAMPLE} ${WORK}/dry.qnf --model 4 --delete @Orbis\ Kids --dry-run)
expect_missing(${WORK}/dry.qnf)
# The favourite entry of the deleted service goes with it.
expect("${last_output}" "- line 49: 0\t0\t5\n")
expect("${last_output}" "- line 64: V\t10104\t")

# Sorted by name and renumbered, every favourite keeps naming its service; raw entries on
# request, with a warning for each one that now names another service.
run(0 edit ${SAMPLE} ${WORK}/sorted.qnf --model 4 --sort video:name --renumber video)
expect("${last_output}" ", 0 warnings")
file(READ ${WORK}/sorted.qnf sorted)
expect("${sorted}" "\\[FAVORITE\\]\n0\t0\t16\n")
expect("${sorted}" "\tLumen One\t16\n")
run(0 edit ${SAMPLE} ${WORK}/raw.qnf --model 4 --sort video:name --renumber video --keep-favourite-entries)
expect("${last_error}" "favourite list 0/0 entry 0 \\(1\\) now names \"Astrea Info\"; it named \"Lumen One\"")
run(1 edit ${SAMPLE} ${WORK}/refused.qnf --model 4 --fav-add 0:0:1)
expect("${last_error}" "\"Lumen One\" is in favourite list 0/0 already \\(entry 0\\); the receiver would show it twice")

# Refusals: a value out of range, a taken channel number, a provider with services and no
# taker; the message names the option, and nothing is written.
run(1 edit ${SAMPLE} ${WORK}/refused.qnf --model 4 --rename 0=A --delete 60)
expect("${last_error}" "bv3: --delete 60: service row 60 does not exist: the list has 60 services \\(rows 0 to 59\\); nothing written")
run(1 edit ${SAMPLE} ${WORK}/refused.qnf --model 4 --number 0=2)
expect("${last_error}" "channel number 2 is taken")
run(1 edit ${SAMPLE} ${WORK}/refused.qnf --model 4 --delete-provider 1)
expect("${last_error}" "provider 1 has 7 services; name the provider that takes them over")
run(1 edit ${SAMPLE} ${WORK}/refused.qnf --model 4 --menu 1=256)
expect("${last_error}" "menu value 1 takes 0 to 255, not 256")
# Names typed in UTF-8 are written in the receiver's character set (Windows-1252), one byte a
# character; what it cannot hold is refused by name.
run(0 edit ${SAMPLE} ${WORK}/soren.qnf --model 4 "--rename=0=Søren €")
file(READ ${WORK}/soren.qnf soren HEX)
string(HEX "\tS" tab_s)
string(FIND "${soren}" "${tab_s}f872656e2080" at)
if(at LESS 0)
  message(FATAL_ERROR "the renamed service is not written as Windows-1252 bytes")
endif()
run(1 edit ${SAMPLE} ${WORK}/refused.qnf --model 4 "--rename=0=Snow ☃")
expect("${last_error}" "\\(U\\+2603\\), which the receiver's character set \\(Windows-1252\\) cannot hold")
run(1 edit ${SAMPLE} ${WORK}/refused.qnf --model 4 "--rename=0=A[TS]B")
expect("${last_error}" "holds the section tag \\[TS\\]")
# A list the model cannot represent (a service naming provider 9 of 8) is not written after an
# edit that leaves the fault; an edit that mends it is.
file(READ ${SAMPLE} sample)
string(REPLACE "\t1\t0\tLumen Two\t" "\t1\t9\tLumen Two\t" broken "${sample}")
string(REPLACE "\n" "\r\n" broken "${broken}")
file(WRITE ${WORK}/broken.qnf "${broken}")
run(1 edit ${WORK}/broken.qnf ${WORK}/refused.qnf --model 4 --rename 0=One)
expect("${last_error}" "refused.qnf: line 61: error: service \"Lumen Two\" refers to provider 9")
expect("${last_error}" "not written: the edited list holds 1 error that model 4 cannot represent")
expect_missing(${WORK}/refused.qnf)
run(0 edit ${WORK}/broken.qnf ${WORK}/mended.qnf --model 4 --set-provider 1=0)
run(2 edit ${SAMPLE} ${WORK}/refused.qnf)

# A compressed list in, a compressed list out; an uploaded image in with its variant.
run(0 compress ${SAMPLE} ${WORK}/sample.v3qnf)
run(0 edit ${WORK}/sample.v3qnf ${WORK}/edited.v3qnf --model 4 --menu-time 1:30)
run(0 decompress ${WORK}/edited.v3qnf ${WORK}/restored.qnf)
file(READ ${WORK}/restored.qnf restored)
expect("${restored}" "\\[MENU\\]\n1\t0\t2\t1\t130\t")
run(0 make-upload ${SAMPLE} ${WORK}/upload.raw --variant 3 --model 4)
run(0 edit ${WORK}/upload.raw ${WORK}/from-raw.qnf --model 4 --variant 3 --rename 0=One)
expect("${last_output}" "wrote")

# Reorder: the edited list put back into the sample's order.
run(0 reorder ${WORK}/edited.qnf ${WORK}/reordered.qnf --like ${SAMPLE} --model 4)
# "Lumen Zwei" is "Lumen Two" renamed: matched by its service words and TS, it takes its place.
expect("${last_output}" "59 services matched")
expect("${last_output}" "1 of the matched are renamed services")
file(READ ${WORK}/reordered.qnf reordered)
expect("${reordered}" "\tLumen One\t1\nV\t10101\t[^\r]*\tLumen Zwei\t2\nV\t10102\t[^\r]*\tLumen News\t3\n")
run(0 reorder ${WORK}/edited.qnf ${WORK}/dropped.qnf --like ${SAMPLE} --model 4 --drop-unmatched)
file(READ ${WORK}/dropped.qnf dropped)
if(NOT dropped MATCHES "Lumen Zwei")
  message(FATAL_ERROR "reorder --drop-unmatched dropped a renamed service that matched by its numbers")
endif()
# A reference that matches nothing, unmatched dropped, in place: refused, the input intact.
file(COPY ${SAMPLE} DESTINATION ${WORK}/inplace)
file(READ ${SAMPLE} sample)
string(REGEX MATCH "\\[MENU\\]\n[^\n]*" menu "${sample}")
set(nobody "[BREVORA V3 FILE]\n[SERVICE]\nV\t1\t1\t1\t1\t1\t0\tFALSE\tFALSE\tTRUE\t0\t0\tNobody\t0\n${menu}\n")
string(REPLACE "\n" "\r\n" nobody "${nobody}")
file(WRITE ${WORK}/nobody.qnf "${nobody}")
get_filename_component(sample_name ${SAMPLE} NAME)
set(inplace ${WORK}/inplace/${sample_name})
run(1 reorder ${inplace} ${inplace} --like ${WORK}/nobody.qnf --model 4 --drop-unmatched)
expect("${last_output}" "0 services matched")
expect("${last_error}" "not written: the reordered list holds no services \\(0 matched in [^)]*nobody.qnf\\); --allow-empty")
file(READ ${inplace} kept)
expect("${kept}" "Lumen Zwei|Lumen One")
run(0 reorder ${inplace} ${WORK}/emptied.qnf --like ${WORK}/nobody.qnf --model 4 --drop-unmatched --allow-empty)

# Duplicates: none in the sample; with a service moved onto another's TS and words, one.
run(0 duplicates ${SAMPLE})
expect("${last_output}" "duplicates \\(rows; the first of each is kept\\): 0")
string(REPLACE "V\t10101\t176\t177\t176\t257\t1\tFALSE\tFALSE\tTRUE\t1\t0\tLumen Two"
               "V\t10100\t160\t161\t160\t256\t1\tFALSE\tFALSE\tTRUE\t0\t0\tLumen Two" twice "${sample}")
string(REPLACE "\n" "\r\n" twice "${twice}")
file(WRITE ${WORK}/twice.qnf "${twice}")
run(0 duplicates ${WORK}/twice.qnf --remove ${WORK}/once.qnf)
expect("${last_output}" "duplicates \\(rows; the first of each is kept\\): 1\n  0 \"Lumen One\" \\(TS 0\\) 1 \"Lumen Two\" \\(TS 0\\)")
expect("${last_output}" "wrote [^\n]*once.qnf without 1 duplicate")
