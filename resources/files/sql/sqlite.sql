-- Warsztat: structure of a new SQLite database with its starting data.
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
    iLevel NUMERIC,
    bActive NUMERIC
);

CREATE TABLE version (
    iId INTEGER PRIMARY KEY,
    sVersion TEXT
);

-- The indexes are added after this script from the program's own list of
-- them (DbIndexes), which also completes databases made by earlier versions.

-- Starting data

INSERT INTO statusesconf (iId, iStatusId, iGroup, sDescription, sColor, iOrder) VALUES
    (1, 0, 1, 'Nowa naprawa', '#ffffff', 1),
    (2, 1, 1, 'Naprawa rozpoczęta', '#afff9f', 2),
    (3, 2, 2, 'Zuvove zewnętrzny', '#fff59f', 1),
    (4, 3, 2, 'Oczekuje na części', '#73ac5d', 2),
    (5, 4, 3, 'Naprawa niewykonana', '#eb917f', 1),
    (6, 5, 3, 'Naprawa ukończona', '#6fc3e6', 2);

INSERT INTO hwstatusesconf (iId, iStatusId, iGroup, sDescription, sColor, iOrder) VALUES
    (1, 1, 1, 'W serwisie', '#95ff89', 1),
    (2, 2, 2, 'W serwisie zewnętrznym', '#efc274', 1),
    (3, 3, 2, 'U klienta / usługa serwisowa', '#f397d6', 2),
    (4, 4, 2, 'Wysłany', '#feffa9', 3),
    (5, 5, 1, 'Do odbioru', '#fd9494', 2),
    (6, 0, 3, 'Poza ewidencją', '#d3d3d3', 1),
    (7, 6, 3, 'Odebrany', '#4dd7ff', 2);

INSERT INTO typesconf (iId, iTypeId, sDescription, iOrder, bVisible) VALUES
    (1, 0, 'Laptop', 1, 1),
    (2, 1, 'PC', 2, 1),
    (3, 11, 'Telefon', 3, 1),
    (4, 12, 'Aparat / Kamera', 4, 1),
    (5, 13, 'Sprzęt audio', 5, 1),
    (6, 14, 'Drukarka', 6, 1),
    (7, 15, 'Konsola', 7, 1),
    (8, 16, 'CB Radio', 8, 1),
    (9, 17, 'Monitor', 9, 1),
    (10, 18, 'Telewizor', 10, 1),
    (11, 19, 'Nawigacja GPS', 11, 1),
    (12, 2, 'Inny', 12, 1);

INSERT INTO fieldsconf (iId, sName, sValue, bRequired) VALUES
    (1, 'sField1', 'Producent', 0),
    (2, 'sField2', 'Model', 0),
    (3, 'sField3', 'Numer seryjny', 0),
    (4, 'sField4', 'Wyposażenie', 0),
    (5, 'sField5', '', 0),
    (6, 'sField6', '', 0),
    (7, 'sField7', '', 0),
    (8, 'sField8', '', 0),
    (9, 'sField9', '', 0),
    (10, 'sField10', '', 0),
    (11, 'sField11', '', 0),
    (12, 'sField12', '', 0),
    (13, 'sField13', '', 0),
    (14, 'sField14', '', 0),
    (15, 'iFieldDate', 'Data zakupu', 0),
    (16, 'sFieldLong', 'Uwagi', 0);

INSERT INTO users (iId, sUser, sPassword, iLevel, bActive) VALUES
    (1, 'Administrator', '', 0, 1);

INSERT INTO version (iId, sVersion) VALUES
    (1, '1.23');
