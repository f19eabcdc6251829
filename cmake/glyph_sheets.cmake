# The glyph sheet files, a large and a small one for each display scale step, as the resources
# of lumivex.scr (res/glyphs.rc) and the sheets the Linux program compiles in. The resource of
# res/<file>.bmp is the file's name in capitals: index.bmp is "INDEX", index_s_200.bmp
# "INDEX_S_200". The steps are those of src/engine/display_scale.h.
#   LUMIVEX_GLYPH_SHEET_FILES  the paths, design sheets first
#   LUMIVEX_GLYPH_SHEETS       NAME=path entries, as src/linux/embed_sheets.cmake takes them
set(LUMIVEX_SCALE_STEPS 100 125 150 175 200 250 300)
set(LUMIVEX_GLYPH_SHEET_FILES "")
set(LUMIVEX_GLYPH_SHEETS "")
foreach(step IN LISTS LUMIVEX_SCALE_STEPS)
  foreach(base index index_s)
    if(step EQUAL 100)
      set(file ${base})
    else()
      set(file ${base}_${step})
    endif()
    string(TOUPPER ${file} name)
    list(APPEND LUMIVEX_GLYPH_SHEET_FILES ${CMAKE_SOURCE_DIR}/res/${file}.bmp)
    list(APPEND LUMIVEX_GLYPH_SHEETS ${name}=${CMAKE_SOURCE_DIR}/res/${file}.bmp)
  endforeach()
endforeach()
