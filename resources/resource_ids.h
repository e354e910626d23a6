/* Identifiers shared by the resource script and the program. Plain #defines so that the
   resource compiler reads this file too. */
#ifndef PLORIMET_RESOURCE_IDS_H
#define PLORIMET_RESOURCE_IDS_H

/* Grid cells: X cell of pair k is 100 + k, Y cell 145 + k (k = 1..45). */
#define IDC_FIRST_X_CELL 101
#define IDC_LAST_X_CELL 145
#define IDC_FIRST_Y_CELL 146
#define IDC_LAST_Y_CELL 190

/* Commands of the main window, sent by the tool bar. */
#define IDM_INPUT_DATA 191
#define IDM_READ_DATA 192
#define IDM_PASTE_DATA 193
#define IDM_ANALYSIS 194
#define IDM_SAVE_DATA 195
#define IDM_DRAW_GRAPH 196
#define IDM_COPY_GRAPH 197
#define IDM_SAVE_GRAPH 198
#define IDM_ABOUT 199
#define IDM_HELP 200
#define IDM_EXIT 201

/* Tool bar buttons: control id = command id + 12; Gap and Space send nothing. */
#define IDB_GAP_BUTTON 202
#define IDB_FIRST_COMMAND_BUTTON 203
#define IDB_LAST_COMMAND_BUTTON 213
#define IDB_SPACE_BUTTON 214
#define TOOLBAR_COMMAND_OFFSET 12

/* The About dialog's icon. */
#define IDI_ABOUT 215

/* Fit settings dialog. */
#define IDC_DEGREE_COMBO 216
#define IDC_DIGITS_3 217
#define IDC_DIGITS_4 218
#define IDC_DIGITS_5 219
#define IDC_DIGITS_6 220

/* Graph settings dialog. */
#define IDC_THICKNESS_1 221
#define IDC_THICKNESS_5 225
#define IDC_DOT_5 226
#define IDC_DOT_13 230
#define IDC_SIZE_100 231
#define IDC_SIZE_70 232
#define IDC_SIZE_50 233
#define IDC_SCALE_NONE 234
#define IDC_SCALE_TICKS 235
#define IDC_SCALE_GRID 236

/* Column selection dialog. */
#define IDC_X_COLUMN_COMBO 237
#define IDC_Y_COLUMN_COMBO 238

#endif
