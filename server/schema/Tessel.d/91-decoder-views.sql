-- Views over the decoder and TV-wall tables (45-decoders.sql) joined with their TAB_OBJ rows.

-- A decoder with its caption and parent.
CREATE VIEW VIEW_DEV_DECODER AS
SELECT d.S_ID, d.S_IP, d.I_PORT, d.S_USERNAME, d.S_PASSWORD, d.S_DESCRIPTION, d.I_DECODER_TYPE_ID,
       o.S_CAPTION, o.S_PARENT_ID, d.I_HTTP_PORT
  FROM TAB_DEV_DECODER d JOIN TAB_OBJ o ON o.S_ID = d.S_ID;

-- A decoder output with its caption, decoder (S_PARENT_ID) and visibility.
CREATE VIEW VIEW_DEV_DECODER_OUT AS
SELECT t.S_ID, t.I_NUM, o.S_CAPTION, o.S_PARENT_ID, o.I_VISIBLE
  FROM TAB_DEV_DECODER_OUT t JOIN TAB_OBJ o ON o.S_ID = t.S_ID;

-- A region of an output with its caption and output (S_PARENT_ID).
CREATE VIEW VIEW_DEV_DECODER_OUT_REGION AS
SELECT r.S_ID, r.I_NUM, r.F_TOP, r.F_LEFT, r.F_WIDTH, r.F_HEIGHT, o.S_CAPTION, o.S_PARENT_ID
  FROM TAB_DEV_DECODER_OUT_REGION r JOIN TAB_OBJ o ON o.S_ID = r.S_ID;

-- A TV with its caption.
CREATE VIEW VIEW_DEV_TV AS
SELECT t.S_ID, t.S_IP, t.I_PORT, o.S_CAPTION
  FROM TAB_DEV_TV t JOIN TAB_OBJ o ON o.S_ID = t.S_ID;

-- A TV output with the decoder output region it shows, that region's output and decoder.
CREATE VIEW VIEW_VIEW_TV_OUT AS
SELECT t.S_ID, t.S_DECODER_OUT_REGION_ID, t.I_NUM, o.S_CAPTION, o.S_PARENT_ID,
       dout.S_PARENT_ID AS S_DECODER_ID, dec_out.I_NUM AS I_DECODER_OUT_NUM,
       reg.I_NUM AS I_DECODER_OUT_REGION_NUM
  FROM TAB_DEV_TV_OUT t JOIN TAB_OBJ o ON o.S_ID = t.S_ID
  LEFT JOIN TAB_DEV_DECODER_OUT_REGION reg ON reg.S_ID = t.S_DECODER_OUT_REGION_ID
  LEFT JOIN TAB_OBJ rego ON rego.S_ID = reg.S_ID
  LEFT JOIN TAB_DEV_DECODER_OUT dec_out ON dec_out.S_ID = rego.S_PARENT_ID
  LEFT JOIN TAB_OBJ dout ON dout.S_ID = dec_out.S_ID;

-- A layout (object type 44; the image row may be missing) with each of its member screens (one row per membership; a layout without members
-- gives one row with empty screen columns), the screen's decoder output and decoder.
CREATE VIEW VIEW_TVLAYOUT AS
SELECT m.S_ID, lo.S_ID AS S_LAYOUT_ID, l.S_IMG, lo.S_CAPTION, lo.S_PARENT_ID,
       m.S_SCREEN_ID, s.I_TYPE AS I_SCREEN_TYPE, s.I_NUM AS I_SCREEN_NUM, s.S_CAPTION AS S_SCREEN_CAPTION,
       s.S_DECODER_OUT_ID, oo.S_PARENT_ID AS S_DECODER_ID, s.I_DECODER_OUT_NUM,
       oo.S_CAPTION AS S_DECODER_OUT_CAPTION, s.F_X, s.F_Y, s.F_W, s.F_H
  FROM TAB_OBJ lo LEFT JOIN TAB_TV_LAYOUT l ON l.S_ID = lo.S_ID
  LEFT JOIN TAB_LAYOUT_TVOUT m ON m.S_LAYOUT_ID = lo.S_ID
  LEFT JOIN TAB_DEV_SCREEN_UNIT s ON s.S_ID = m.S_SCREEN_ID
  LEFT JOIN TAB_OBJ oo ON oo.S_ID = s.S_DECODER_OUT_ID
 WHERE lo.I_OBJ_TYPE_ID = 44;
