/* Texts of the plug-in's string table, by resource id. The C++ side builds its lookup table from
   QF_STRING_TABLE; the resource script expands the same list into its STRINGTABLE. Keep the texts
   exactly as the user sees them (the typos included: stored logs and users' scripts match them). */
#ifndef QF_RESOURCES_STRING_TABLE_H
#define QF_RESOURCES_STRING_TABLE_H

#define IDS_CONTROLS_FAILED      116
#define IDS_ERROR_CREATING_MESHES 117
#define IDS_NO_MEMORY_VERTICES   118
#define IDS_NO_MEMORY_NORMALS    119
#define IDS_NO_MEMORY_TEXCOORDS  120
#define IDS_NO_MEMORY_POLYGONS   121
#define IDS_IMPORTING_MATERIALS  122
#define IDS_MATLIB_NOT_FOUND     123
#define IDS_CREATING_MATERIALS   124
#define IDS_MAP_NOT_FOUND        125
#define IDS_NOTHING_TO_IMPORT    126
#define IDS_BUILDING_SCENE       127
#define IDS_ADDING_VERTICES      128
#define IDS_ADDING_POLYGONS      129
#define IDS_BUILDING_MESH        130
#define IDS_ADDING_TEXCOORDS     131
#define IDS_CENTER_PIVOT         132
#define IDS_DELETING_ISOLATED    133
#define IDS_CREATING_MESH        134
#define IDS_CREATING_MESHES      135
#define IDS_COORDINATE_TOO_BIG   136
#define IDS_INVALID_VERTEX_INDEX 137
#define IDS_INVALID_NORMAL_INDEX 138
#define IDS_INVALID_TEXTURE_INDEX 139
#define IDS_POLYGON_INDEX_ERROR  140
#define IDS_MATERIAL_NOT_FOUND   141
#define IDS_HELP_NOT_FOUND       142
#define IDS_COLUMN_NAME          143
#define IDS_COLUMN_POLYGONS      144
#define IDS_ONE_OBJECT           145
#define IDS_N_OBJECTS            146
#define IDS_CANNOT_CREATE_THREAD 147
#define IDS_CLOSE                148
#define IDS_COORDINATE_NOT_FINITE 149
#define IDS_TEXCOORD_NOT_FINITE  150
#define IDS_DEGENERATE_FACES     151
#define IDS_MESH_REFUSED         152
#define IDS_NOT_A_FILE           153
#define IDS_FACES_CUT            154
#define IDS_OPTION_OUT_OF_RANGE  155
#define IDS_CANNOT_OPEN_FILE     156
#define IDS_OUT_OF_MEMORY        157

#define IDS_FIRST 116
#define IDS_LAST  157

/* X(id, text). QF_QUOTE stands for a double quote inside a text: the resource compiler and the C
   compiler escape it differently. */
#define QF_STRING_TABLE(X) \
  X(IDS_CONTROLS_FAILED, "Failed to create some custom controls\n sorry...") \
  X(IDS_ERROR_CREATING_MESHES, "error creating meshes") \
  X(IDS_NO_MEMORY_VERTICES, "not enough memory to create %d vertices") \
  X(IDS_NO_MEMORY_NORMALS, "not enough memory to create %d normals") \
  X(IDS_NO_MEMORY_TEXCOORDS, "not enough memory to create %d texture-vertices") \
  X(IDS_NO_MEMORY_POLYGONS, "not enough memory\nto create %d polygons") \
  X(IDS_IMPORTING_MATERIALS, "importing materails...") \
  X(IDS_MATLIB_NOT_FOUND, "matlib not found " QF_QUOTE "%s" QF_QUOTE) \
  X(IDS_CREATING_MATERIALS, "creating materials...") \
  X(IDS_MAP_NOT_FOUND, "%sMap not found in Material: " QF_QUOTE "%s" QF_QUOTE " (%s)") \
  X(IDS_NOTHING_TO_IMPORT, "nothing found to import...") \
  X(IDS_BUILDING_SCENE, "building scene...") \
  X(IDS_ADDING_VERTICES, "Adding vertices...") \
  X(IDS_ADDING_POLYGONS, "Adding polygons...") \
  X(IDS_BUILDING_MESH, "Buiding mesh...") \
  X(IDS_ADDING_TEXCOORDS, "Adding texture coords...") \
  X(IDS_CENTER_PIVOT, "Center pivot...") \
  X(IDS_DELETING_ISOLATED, "deleting isolated vertices...") \
  X(IDS_CREATING_MESH, "creating mesh...") \
  X(IDS_CREATING_MESHES, "creating meshes...") \
  X(IDS_COORDINATE_TOO_BIG, "vertex coordinate too big\nadjust vertex-scale") \
  X(IDS_INVALID_VERTEX_INDEX, "invalid vertex index") \
  X(IDS_INVALID_NORMAL_INDEX, "invalid normal index") \
  X(IDS_INVALID_TEXTURE_INDEX, "invalid texture index") \
  X(IDS_POLYGON_INDEX_ERROR, "polygon-index error") \
  X(IDS_MATERIAL_NOT_FOUND, "Material " QF_QUOTE "%s" QF_QUOTE " not found") \
  X(IDS_HELP_NOT_FOUND, "Help not found") \
  X(IDS_COLUMN_NAME, "Name") \
  X(IDS_COLUMN_POLYGONS, "Polygons") \
  X(IDS_ONE_OBJECT, "%d Object") \
  X(IDS_N_OBJECTS, "%d Objects") \
  X(IDS_CANNOT_CREATE_THREAD, "cannot create Import-thread") \
  X(IDS_CLOSE, "Close") \
  X(IDS_COORDINATE_NOT_FINITE, "vertex coordinate is not a finite number (NaN or infinity)") \
  X(IDS_TEXCOORD_NOT_FINITE, "texture coordinate is not a finite number (NaN or infinity)") \
  X(IDS_DEGENERATE_FACES, "%s face(s) with fewer than three corners skipped, the first at line %s") \
  X(IDS_MESH_REFUSED, "mesh " QF_QUOTE "%s" QF_QUOTE " was not built: %s") \
  X(IDS_NOT_A_FILE, "not a regular file (a device or a pipe): " QF_QUOTE "%s" QF_QUOTE) \
  X(IDS_FACES_CUT, "%s face(s) cut to their first %s corners, the first at line %s") \
  X(IDS_OPTION_OUT_OF_RANGE, "Option %s %g in the options file is out of range and was replaced by its default %g") \
  X(IDS_CANNOT_OPEN_FILE, "cannot open " QF_QUOTE "%s" QF_QUOTE) \
  X(IDS_OUT_OF_MEMORY, "not enough memory to %s")

#endif
