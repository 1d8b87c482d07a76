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

-- Indexes (names are unique in the whole database): the foreign keys the
-- pages look rows up by, then one per column that a list sorts by.

-- repairs
CREATE INDEX idx_repairs_iClientId ON repairs (iClientId);
CREATE INDEX idx_repairs_iHardwareId ON repairs (iHardwareId);
-- Status with intake date: the open and waiting lists, newest first.
CREATE INDEX idx_repairs_iStatus_iAddDate ON repairs (iStatus, iAddDate);
CREATE INDEX idx_repairs_iAddDate ON repairs (iAddDate);
CREATE INDEX idx_repairs_iEndDate ON repairs (iEndDate);
CREATE INDEX idx_repairs_sNum ON repairs (sNum);
CREATE INDEX idx_repairs_iType ON repairs (iType);
CREATE INDEX idx_repairs_sCost ON repairs (sCost);
CREATE INDEX idx_repairs_sMCost ON repairs (sMCost);
CREATE INDEX idx_repairs_sOuterNo ON repairs (sOuterNo);
CREATE INDEX idx_repairs_iStatus ON repairs (iStatus);
CREATE INDEX idx_repairs_iProgress ON repairs (iProgress);
CREATE INDEX idx_repairs_iSubmitterId ON repairs (iSubmitterId);
CREATE INDEX idx_repairs_iTechnicanId ON repairs (iTechnicanId);
CREATE INDEX idx_repairs_sDefect ON repairs (sDefect);
CREATE INDEX idx_repairs_sSolution ON repairs (sSolution);
CREATE INDEX idx_repairs_sComment ON repairs (sComment);
-- notes
CREATE INDEX idx_notes_iRepairId ON notes (iRepairId);
CREATE INDEX idx_notes_iAddDate ON notes (iAddDate);
-- billing
CREATE INDEX idx_billing_iClientId ON billing (iClientId);
CREATE INDEX idx_billing_iRepairId ON billing (iRepairId);
CREATE INDEX idx_billing_iHardwareId ON billing (iHardwareId);
CREATE INDEX idx_billing_iDate ON billing (iDate);
CREATE INDEX idx_billing_iAddDate ON billing (iAddDate);
CREATE INDEX idx_billing_sPriceNet ON billing (sPriceNet);
CREATE INDEX idx_billing_sPriceGross ON billing (sPriceGross);
CREATE INDEX idx_billing_sPriceParts ON billing (sPriceParts);
CREATE INDEX idx_billing_sPriceLabor ON billing (sPriceLabor);
CREATE INDEX idx_billing_sPriceOuter ON billing (sPriceOuter);
CREATE INDEX idx_billing_iStatus ON billing (iStatus);
CREATE INDEX idx_billing_iUser ON billing (iUser);
CREATE INDEX idx_billing_sDescription ON billing (sDescription);
-- hardware
CREATE INDEX idx_hardware_iOwner ON hardware (iOwner);
CREATE INDEX idx_hardware_iHType ON hardware (iHType);
CREATE INDEX idx_hardware_iStoreStatus ON hardware (iStoreStatus);
CREATE INDEX idx_hardware_sHName ON hardware (sHName);
CREATE INDEX idx_hardware_iReceivedDate ON hardware (iReceivedDate);
CREATE INDEX idx_hardware_sField1 ON hardware (sField1);
CREATE INDEX idx_hardware_sField2 ON hardware (sField2);
CREATE INDEX idx_hardware_sField3 ON hardware (sField3);
CREATE INDEX idx_hardware_sField4 ON hardware (sField4);
CREATE INDEX idx_hardware_sField5 ON hardware (sField5);
CREATE INDEX idx_hardware_sField6 ON hardware (sField6);
CREATE INDEX idx_hardware_sField7 ON hardware (sField7);
CREATE INDEX idx_hardware_sField8 ON hardware (sField8);
CREATE INDEX idx_hardware_sField9 ON hardware (sField9);
CREATE INDEX idx_hardware_sField10 ON hardware (sField10);
CREATE INDEX idx_hardware_sField11 ON hardware (sField11);
CREATE INDEX idx_hardware_sField12 ON hardware (sField12);
CREATE INDEX idx_hardware_sField13 ON hardware (sField13);
CREATE INDEX idx_hardware_sField14 ON hardware (sField14);
CREATE INDEX idx_hardware_iFieldDate ON hardware (iFieldDate);
CREATE INDEX idx_hardware_sStoreComment ON hardware (sStoreComment);
CREATE INDEX idx_hardware_sFieldLong ON hardware (sFieldLong);
-- templates
CREATE INDEX idx_templates_sHName ON templates (sHName);
CREATE INDEX idx_templates_iHType ON templates (iHType);
CREATE INDEX idx_templates_sField1 ON templates (sField1);
CREATE INDEX idx_templates_sField2 ON templates (sField2);
CREATE INDEX idx_templates_sField3 ON templates (sField3);
CREATE INDEX idx_templates_sField4 ON templates (sField4);
CREATE INDEX idx_templates_sField5 ON templates (sField5);
CREATE INDEX idx_templates_sField6 ON templates (sField6);
CREATE INDEX idx_templates_sField7 ON templates (sField7);
CREATE INDEX idx_templates_sField8 ON templates (sField8);
CREATE INDEX idx_templates_sField9 ON templates (sField9);
CREATE INDEX idx_templates_sField10 ON templates (sField10);
CREATE INDEX idx_templates_sField11 ON templates (sField11);
CREATE INDEX idx_templates_sField12 ON templates (sField12);
CREATE INDEX idx_templates_sField13 ON templates (sField13);
CREATE INDEX idx_templates_sField14 ON templates (sField14);
CREATE INDEX idx_templates_iFieldDate ON templates (iFieldDate);
CREATE INDEX idx_templates_sFieldLong ON templates (sFieldLong);
-- clients
CREATE INDEX idx_clients_sSName ON clients (sSName);
CREATE INDEX idx_clients_sFName ON clients (sFName);
CREATE INDEX idx_clients_sCompany ON clients (sCompany);
CREATE INDEX idx_clients_sNIP ON clients (sNIP);
CREATE INDEX idx_clients_sStreet ON clients (sStreet);
CREATE INDEX idx_clients_sAddrBuild ON clients (sAddrBuild);
CREATE INDEX idx_clients_sAddrLoc ON clients (sAddrLoc);
CREATE INDEX idx_clients_sCity ON clients (sCity);
CREATE INDEX idx_clients_sPostal ON clients (sPostal);
CREATE INDEX idx_clients_sEmail ON clients (sEmail);
CREATE INDEX idx_clients_sEmail2 ON clients (sEmail2);
CREATE INDEX idx_clients_sPhone ON clients (sPhone);
CREATE INDEX idx_clients_sPhone2 ON clients (sPhone2);
CREATE INDEX idx_clients_sDescription ON clients (sDescription);
-- users
CREATE INDEX idx_users_sUser ON users (sUser);
-- settings
CREATE INDEX idx_settings_sGroup_sKey ON settings (sGroup, sKey);
-- docsources
CREATE INDEX idx_docsources_iRepairId ON docsources (iRepairId);

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
