-- Warsztat: structure of a new SQLite database.
--
-- Format read by the program: UTF-8; a line starting with "--" is a comment;
-- a statement may span lines and ends with ";" at the end of a line.
--
-- "{table.column}" stands for the type of a text column that staff type into:
-- the program puts in the type that its table of column lengths gives for
-- this engine, so that the forms and the database agree on every length.
--
-- Keys are "iId INTEGER PRIMARY KEY" (an alias of the ROWID): a new row gets
-- the highest key plus one, which the next-repair-number setting relies on.
-- Texts are TEXT (a NUMERIC column would turn "0503" into 503); numbers,
-- dates (whole seconds since 1970-01-01 UTC) and flags are NUMERIC.
-- No column other than the key is NOT NULL.

-- Registers

CREATE TABLE repairs (
    iId INTEGER PRIMARY KEY,
    sNum TEXT,
    iAddDate NUMERIC,
    iEndDate NUMERIC,
    iType NUMERIC,
    sCost {repairs.sCost},
    sMCost {repairs.sMCost},
    sDefect {repairs.sDefect},
    sSolution {repairs.sSolution},
    sComment {repairs.sComment},
    sOuterNo {repairs.sOuterNo},
    iStatus NUMERIC,
    iProgress NUMERIC,
    iClientId NUMERIC,
    iHardwareId NUMERIC,
    iSubmitterId NUMERIC,
    iTechnicanId NUMERIC
);

CREATE TABLE clients (
    iId INTEGER PRIMARY KEY,
    sFName {clients.sFName},
    sSName {clients.sSName},
    sCompany {clients.sCompany},
    sNIP {clients.sNIP},
    sStreet {clients.sStreet},
    sAddrBuild {clients.sAddrBuild},
    sAddrLoc {clients.sAddrLoc},
    sCity {clients.sCity},
    sPostal {clients.sPostal},
    sEmail {clients.sEmail},
    sEmail2 {clients.sEmail2},
    sPhone {clients.sPhone},
    sPhone2 {clients.sPhone2},
    sDescription {clients.sDescription}
);

CREATE TABLE hardware (
    iId INTEGER PRIMARY KEY,
    sHName {hardware.sHName},
    iHType NUMERIC,
    iStoreStatus NUMERIC,
    iReceivedDate NUMERIC,
    sStoreComment {hardware.sStoreComment},
    sField1 {hardware.sField1},
    sField2 {hardware.sField2},
    sField3 {hardware.sField3},
    sField4 {hardware.sField4},
    sField5 {hardware.sField5},
    sField6 {hardware.sField6},
    sField7 {hardware.sField7},
    sField8 {hardware.sField8},
    sField9 {hardware.sField9},
    sField10 {hardware.sField10},
    sField11 {hardware.sField11},
    sField12 {hardware.sField12},
    sField13 {hardware.sField13},
    sField14 {hardware.sField14},
    iFieldDate NUMERIC,
    sFieldLong {hardware.sFieldLong},
    iOwner NUMERIC
);

CREATE TABLE templates (
    iId INTEGER PRIMARY KEY,
    sHName {templates.sHName},
    iHType NUMERIC,
    sField1 {templates.sField1},
    sField2 {templates.sField2},
    sField3 {templates.sField3},
    sField4 {templates.sField4},
    sField5 {templates.sField5},
    sField6 {templates.sField6},
    sField7 {templates.sField7},
    sField8 {templates.sField8},
    sField9 {templates.sField9},
    sField10 {templates.sField10},
    sField11 {templates.sField11},
    sField12 {templates.sField12},
    sField13 {templates.sField13},
    sField14 {templates.sField14},
    iFieldDate NUMERIC,
    sFieldLong {templates.sFieldLong}
);

CREATE TABLE notes (
    iId INTEGER PRIMARY KEY,
    iRepairId NUMERIC,
    iAddDate NUMERIC,
    iSeverity NUMERIC,
    sNote TEXT,
    iUserId NUMERIC
);

CREATE TABLE billing (
    iId INTEGER PRIMARY KEY,
    iAddDate NUMERIC,
    iClientId NUMERIC,
    iRepairId NUMERIC,
    iHardwareId NUMERIC,
    sPriceNet TEXT,
    sPriceGross TEXT,
    sPriceParts TEXT,
    sPriceLabor TEXT,
    sPriceOuter TEXT,
    sDescription TEXT,
    iStatus NUMERIC,
    iDate NUMERIC,
    iUser NUMERIC
);

CREATE TABLE smshistory (
    iId INTEGER PRIMARY KEY,
    iDate NUMERIC,
    sNumber TEXT,
    sText TEXT,
    iUserId NUMERIC
);

-- Database-wide settings and dictionaries

CREATE TABLE settings (
    iId INTEGER PRIMARY KEY,
    sGroup TEXT,
    sKey TEXT,
    sValue TEXT,
    iUserId NUMERIC
);

CREATE TABLE fieldsconf (
    iId INTEGER PRIMARY KEY,
    sName TEXT,
    sValue TEXT,
    bRequired NUMERIC
);

CREATE TABLE typesconf (
    iId INTEGER PRIMARY KEY,
    iTypeId NUMERIC,
    sDescription TEXT,
    iOrder NUMERIC,
    bVisible NUMERIC
);

CREATE TABLE statusesconf (
    iId INTEGER PRIMARY KEY,
    iStatusId NUMERIC,
    iGroup NUMERIC,
    sDescription TEXT,
    sColor TEXT,
    iOrder NUMERIC
);

CREATE TABLE hwstatusesconf (
    iId INTEGER PRIMARY KEY,
    iStatusId NUMERIC,
    iGroup NUMERIC,
    sDescription TEXT,
    sColor TEXT,
    iOrder NUMERIC
);

-- Printouts

CREATE TABLE doctemplates (
    iId INTEGER PRIMARY KEY,
    sName TEXT,
    sTemplate TEXT
);

CREATE TABLE docsources (
    iId INTEGER PRIMARY KEY,
    iRepairId NUMERIC,
    iDate NUMERIC,
    sName TEXT,
    sDocument TEXT,
    iUserId NUMERIC
);

-- Users and schema version

CREATE TABLE users (
    iId INTEGER PRIMARY KEY,
    sUser TEXT,
    sPassword TEXT,
    iLevel NUMERIC DEFAULT 7,
    bActive NUMERIC
);

CREATE TABLE version (
    iId INTEGER PRIMARY KEY,
    sVersion TEXT
);

-- After this script come the starting data (seed.sql, the same on both
-- engines) and the indexes, from the program's own list of them (DbIndexes),
-- which also completes databases made by earlier versions.
