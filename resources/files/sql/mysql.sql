-- Warsztat: structure of a new MySQL / MariaDB database with its starting data.
--
-- Format read by the program: UTF-8; a line starting with "--" is a comment;
-- a statement may span lines and ends with ";" at the end of a line.
--
-- "{table.column}" stands for the type of a text column that staff type into:
-- the program puts in the type that its table of column lengths gives for
-- this engine, so that the forms and the database agree on every length.
--
-- Every table is InnoDB in utf8mb4 with the Polish collation. Dates are whole
-- seconds since 1970-01-01 UTC kept in BIGINT, so that moments after 2038 fit.
-- Texts are never narrower than the widest input that writes them; free texts
-- from multi-line editors are TEXT, generated HTML and settings MEDIUMTEXT.
-- The intake does not write sMCost, sSolution and iProgress of a repair, so
-- those three may be NULL; every other column is NOT NULL with an empty
-- default, so that a statement naming only some columns still succeeds.

-- Registers

CREATE TABLE repairs (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sNum VARCHAR(255) NOT NULL DEFAULT '',
    iAddDate BIGINT NOT NULL DEFAULT 0,
    iEndDate BIGINT NOT NULL DEFAULT 0,
    iType INT NOT NULL DEFAULT 0,
    sCost {repairs.sCost} NOT NULL DEFAULT '',
    sMCost {repairs.sMCost} NULL,
    sDefect {repairs.sDefect} NOT NULL DEFAULT (''),
    sSolution {repairs.sSolution} NULL,
    sComment {repairs.sComment} NOT NULL DEFAULT (''),
    sOuterNo {repairs.sOuterNo} NOT NULL DEFAULT '',
    iStatus INT NOT NULL DEFAULT 0,
    iProgress INT NULL,
    iClientId INT NOT NULL DEFAULT 0,
    iHardwareId INT NOT NULL DEFAULT 0,
    iSubmitterId INT NOT NULL DEFAULT 0,
    iTechnicanId INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE clients (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sFName {clients.sFName} NOT NULL DEFAULT '',
    sSName {clients.sSName} NOT NULL DEFAULT '',
    sCompany {clients.sCompany} NOT NULL DEFAULT '',
    sNIP {clients.sNIP} NOT NULL DEFAULT '',
    sStreet {clients.sStreet} NOT NULL DEFAULT '',
    sAddrBuild {clients.sAddrBuild} NOT NULL DEFAULT '',
    sAddrLoc {clients.sAddrLoc} NOT NULL DEFAULT '',
    sCity {clients.sCity} NOT NULL DEFAULT '',
    sPostal {clients.sPostal} NOT NULL DEFAULT '',
    sEmail {clients.sEmail} NOT NULL DEFAULT '',
    sEmail2 {clients.sEmail2} NOT NULL DEFAULT '',
    sPhone {clients.sPhone} NOT NULL DEFAULT '',
    sPhone2 {clients.sPhone2} NOT NULL DEFAULT '',
    sDescription {clients.sDescription} NOT NULL DEFAULT ('')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE hardware (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sHName {hardware.sHName} NOT NULL DEFAULT '',
    iHType INT NOT NULL DEFAULT 0,
    iStoreStatus INT NOT NULL DEFAULT 0,
    iReceivedDate BIGINT NOT NULL DEFAULT 0,
    sStoreComment {hardware.sStoreComment} NOT NULL DEFAULT (''),
    sField1 {hardware.sField1} NOT NULL DEFAULT '',
    sField2 {hardware.sField2} NOT NULL DEFAULT '',
    sField3 {hardware.sField3} NOT NULL DEFAULT '',
    sField4 {hardware.sField4} NOT NULL DEFAULT '',
    sField5 {hardware.sField5} NOT NULL DEFAULT '',
    sField6 {hardware.sField6} NOT NULL DEFAULT '',
    sField7 {hardware.sField7} NOT NULL DEFAULT '',
    sField8 {hardware.sField8} NOT NULL DEFAULT '',
    sField9 {hardware.sField9} NOT NULL DEFAULT '',
    sField10 {hardware.sField10} NOT NULL DEFAULT '',
    sField11 {hardware.sField11} NOT NULL DEFAULT '',
    sField12 {hardware.sField12} NOT NULL DEFAULT '',
    sField13 {hardware.sField13} NOT NULL DEFAULT '',
    sField14 {hardware.sField14} NOT NULL DEFAULT '',
    iFieldDate BIGINT NOT NULL DEFAULT 0,
    sFieldLong {hardware.sFieldLong} NOT NULL DEFAULT (''),
    iOwner INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE templates (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sHName {templates.sHName} NOT NULL DEFAULT '',
    iHType INT NOT NULL DEFAULT 0,
    sField1 {templates.sField1} NOT NULL DEFAULT '',
    sField2 {templates.sField2} NOT NULL DEFAULT '',
    sField3 {templates.sField3} NOT NULL DEFAULT '',
    sField4 {templates.sField4} NOT NULL DEFAULT '',
    sField5 {templates.sField5} NOT NULL DEFAULT '',
    sField6 {templates.sField6} NOT NULL DEFAULT '',
    sField7 {templates.sField7} NOT NULL DEFAULT '',
    sField8 {templates.sField8} NOT NULL DEFAULT '',
    sField9 {templates.sField9} NOT NULL DEFAULT '',
    sField10 {templates.sField10} NOT NULL DEFAULT '',
    sField11 {templates.sField11} NOT NULL DEFAULT '',
    sField12 {templates.sField12} NOT NULL DEFAULT '',
    sField13 {templates.sField13} NOT NULL DEFAULT '',
    sField14 {templates.sField14} NOT NULL DEFAULT '',
    iFieldDate BIGINT NOT NULL DEFAULT 0,
    sFieldLong {templates.sFieldLong} NOT NULL DEFAULT ('')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE notes (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iRepairId INT NOT NULL DEFAULT 0,
    iAddDate BIGINT NOT NULL DEFAULT 0,
    iSeverity INT NOT NULL DEFAULT 0,
    sNote MEDIUMTEXT NOT NULL DEFAULT (''),
    iUserId INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE billing (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iAddDate BIGINT NOT NULL DEFAULT 0,
    iClientId INT NOT NULL DEFAULT 0,
    iRepairId INT NOT NULL DEFAULT 0,
    iHardwareId INT NOT NULL DEFAULT 0,
    sPriceNet VARCHAR(255) NOT NULL DEFAULT '',
    sPriceGross VARCHAR(255) NOT NULL DEFAULT '',
    sPriceParts VARCHAR(255) NOT NULL DEFAULT '',
    sPriceLabor VARCHAR(255) NOT NULL DEFAULT '',
    sPriceOuter VARCHAR(255) NOT NULL DEFAULT '',
    sDescription TEXT NOT NULL DEFAULT (''),
    iStatus INT NOT NULL DEFAULT 0,
    iDate BIGINT NOT NULL DEFAULT 0,
    iUser INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE smshistory (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iDate BIGINT NOT NULL DEFAULT 0,
    sNumber VARCHAR(255) NOT NULL DEFAULT '',
    sText TEXT NOT NULL DEFAULT (''),
    iUserId INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

-- Database-wide settings and dictionaries

CREATE TABLE settings (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sGroup VARCHAR(100) NOT NULL DEFAULT '',
    sKey VARCHAR(100) NOT NULL DEFAULT '',
    sValue MEDIUMTEXT NOT NULL DEFAULT (''),
    iUserId INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE fieldsconf (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sName VARCHAR(50) NOT NULL DEFAULT '',
    sValue VARCHAR(255) NOT NULL DEFAULT '',
    bRequired TINYINT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE typesconf (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iTypeId INT NOT NULL DEFAULT 0,
    sDescription VARCHAR(255) NOT NULL DEFAULT '',
    iOrder INT NOT NULL DEFAULT 0,
    bVisible TINYINT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE statusesconf (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iStatusId INT NOT NULL DEFAULT 0,
    iGroup INT NOT NULL DEFAULT 0,
    sDescription VARCHAR(255) NOT NULL DEFAULT '',
    sColor VARCHAR(20) NOT NULL DEFAULT '',
    iOrder INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE hwstatusesconf (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iStatusId INT NOT NULL DEFAULT 0,
    iGroup INT NOT NULL DEFAULT 0,
    sDescription VARCHAR(255) NOT NULL DEFAULT '',
    sColor VARCHAR(20) NOT NULL DEFAULT '',
    iOrder INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

-- Printouts

CREATE TABLE doctemplates (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sName VARCHAR(255) NOT NULL DEFAULT '',
    sTemplate MEDIUMTEXT NOT NULL DEFAULT ('')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE docsources (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iRepairId INT NOT NULL DEFAULT 0,
    iDate BIGINT NOT NULL DEFAULT 0,
    sName VARCHAR(255) NOT NULL DEFAULT '',
    sDocument MEDIUMTEXT NOT NULL DEFAULT (''),
    iUserId INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

-- Users and schema version

CREATE TABLE users (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sUser VARCHAR(255) NOT NULL DEFAULT '',
    sPassword VARCHAR(255) NOT NULL DEFAULT '',
    iLevel INT NOT NULL DEFAULT 0,
    bActive TINYINT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE version (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sVersion VARCHAR(50) NOT NULL DEFAULT ''
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

-- Indexes (named as in the SQLite database): the foreign keys the pages
-- look rows up by, then one per column that a list sorts by.

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
-- users
CREATE INDEX idx_users_sUser ON users (sUser);
-- settings
CREATE INDEX idx_settings_sGroup_sKey ON settings (sGroup, sKey);
-- docsources
CREATE INDEX idx_docsources_iRepairId ON docsources (iRepairId);
-- Long texts: sorted by their first 255 characters, a virtual column that
-- no row stores and no SELECT * shows.
ALTER TABLE repairs ADD COLUMN sDefectSort VARCHAR(255) AS (LEFT(sDefect, 255)) VIRTUAL INVISIBLE;
CREATE INDEX idx_repairs_sDefect ON repairs (sDefectSort);
ALTER TABLE repairs ADD COLUMN sSolutionSort VARCHAR(255) AS (LEFT(sSolution, 255)) VIRTUAL INVISIBLE;
CREATE INDEX idx_repairs_sSolution ON repairs (sSolutionSort);
ALTER TABLE repairs ADD COLUMN sCommentSort VARCHAR(255) AS (LEFT(sComment, 255)) VIRTUAL INVISIBLE;
CREATE INDEX idx_repairs_sComment ON repairs (sCommentSort);
ALTER TABLE billing ADD COLUMN sDescriptionSort VARCHAR(255) AS (LEFT(sDescription, 255)) VIRTUAL INVISIBLE;
CREATE INDEX idx_billing_sDescription ON billing (sDescriptionSort);
ALTER TABLE hardware ADD COLUMN sStoreCommentSort VARCHAR(255) AS (LEFT(sStoreComment, 255)) VIRTUAL INVISIBLE;
CREATE INDEX idx_hardware_sStoreComment ON hardware (sStoreCommentSort);
ALTER TABLE hardware ADD COLUMN sFieldLongSort VARCHAR(255) AS (LEFT(sFieldLong, 255)) VIRTUAL INVISIBLE;
CREATE INDEX idx_hardware_sFieldLong ON hardware (sFieldLongSort);
ALTER TABLE templates ADD COLUMN sFieldLongSort VARCHAR(255) AS (LEFT(sFieldLong, 255)) VIRTUAL INVISIBLE;
CREATE INDEX idx_templates_sFieldLong ON templates (sFieldLongSort);
ALTER TABLE clients ADD COLUMN sDescriptionSort VARCHAR(255) AS (LEFT(sDescription, 255)) VIRTUAL INVISIBLE;
CREATE INDEX idx_clients_sDescription ON clients (sDescriptionSort);

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
