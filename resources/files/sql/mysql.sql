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
