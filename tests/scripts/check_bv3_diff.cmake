# bv3 diff: a list against itself, its compressed copy and its own upload image (the same, exit
# 0); against an edit (exit 1, the changes under their headings, or as JSON); trouble (exit 2).
include(${CMAKE_CURRENT_LIST_DIR}/bv3_script_support.cmake)

run(0 compress ${SAMPLE} ${WORK}/sample.v3qnf)
run(0 make-upload ${SAMPLE} ${WORK}/sample.raw --variant 3 --model 4)
run(0 diff ${SAMPLE} ${WORK}/sample.v3qnf --model 4)
expect("${last_output}" "^the lists are the same\n$")
run(0 diff ${SAMPLE} ${WORK}/sample.raw --model 4 --variant 3)

# The demo's edit.
run(0 edit ${SAMPLE} ${WORK}/edited.qnf --model 4 --rename "@Lumen Two=Lumen Zwei" --move "@Polaris 2:4"
    --move "@Orbis Kids:10" --renumber video --fav-add 0:0:7 --menu-time 1:30
    --delete-provider "@Vantage Group:@Orbis TV")
run(1 diff ${SAMPLE} ${WORK}/edited.qnf --model 4)
expect("${last_output}" "Services\n  renamed \"Lumen Two\" to \"Lumen Zwei\" \\(video 2\\)\n")
expect("${last_output}" "  moved \"Polaris 2\" video 11 -> 5\n")
expect("${last_output}" "Providers\n  removed provider \"Vantage Group\"\n")
expect("${last_output}" "Menu\n  value 5: [0-9:-]+ -> 1:30\n")
expect("${last_output}" "Favourites\n[^\n]*\n  video favourites 0: added 7 \\(\"Orbis Movies\"\\) at 6\n")
run(1 diff ${SAMPLE} ${WORK}/edited.qnf --model 4 --json)
expect("${last_output}" "^{\"same\": false, \"services\": {\"added\": \\[\\], \"removed\": \\[\\], \"renamed\": \\[{\"from\": \"Lumen Two\", \"to\": \"Lumen Zwei\"")
expect("${last_output}" "\"menu\": \\[{\"number\": 5, \"old\": \"[0-9:-]+\", \"new\": \"1:30\"}\\]}\n$")

# Trouble: a missing file, an image without its variant, a corrupt list, different models or
# variants.
run(2 diff ${SAMPLE} ${WORK}/missing.qnf --model 4)
expect("${last_error}" "bv3: cannot open \"[^\"]*missing.qnf\": no such file")
run(2 diff ${SAMPLE} ${WORK}/sample.raw --model 4)
expect("${last_error}" "sample.raw: an uploaded image of the receiver's memory; give its configuration variant with --variant")
file(WRITE ${WORK}/corrupt.qnf "not a list\n")
run(2 diff ${WORK}/corrupt.qnf ${SAMPLE} --model 4)
expect("${last_error}" "corrupt.qnf")
run(2 diff ${SAMPLE} ${WORK}/sample.v3qnf --model 4 --model-b 3)
expect("${last_error}" "cannot compare a list of model 4 with one of model 3")
run(2 diff ${WORK}/sample.raw ${WORK}/sample.raw --model 4 --variant 3 --variant-b 2)
expect("${last_error}" "cannot compare images of configuration variants 3 and 2")
